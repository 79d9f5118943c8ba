#include "display/background_image.h"

#include "common/dialog_helpers.h"
#include "common/late_libraries.h"
#include "common/settings.h"
#include "display/colours_and_font.h"
#include "display/gdi_holders.h"
#include "res/resource.h"

HBITMAP backgroundImage = nullptr;
HBITMAP keyedBackgroundImage = nullptr;
SIZE backgroundImageSize{};

namespace {

// The image stretched to the client area, and which bitmap it was made from.
BitmapDC stretchedImage;
HBITMAP stretchedSource = nullptr;
unsigned imageVersion = 0;

void releaseStretchedImage() {
  stretchedImage.reset();
  stretchedSource = nullptr;
  ++imageVersion;
}

// The filter last chosen in the file-open dialog, kept until the program ends.
DWORD rememberedFilterIndex = 0;

const int fileControls[] = {IDC_BG_FILE, IDC_BG_BROWSE};

// COLORREF (red low) to a 32-bit DIB pixel (blue low), top byte 0.
uint32_t dibPixel(COLORREF c) {
  return ((uint32_t)GetRValue(c) << 16) | ((uint32_t)GetGValue(c) << 8) | GetBValue(c);
}

HBITMAP loadImageFile() {
  return (HBITMAP)LoadImageW(nullptr, BG_IMG_FILE, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
}

void browseForImage(HWND dialog) {
  wchar_t path[520] = L"";
  GetDlgItemTextW(dialog, IDC_BG_FILE, path, 520);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dialog;
  ofn.lpstrFilter = L"ビットマップ イメージ (*.bmp)\0*.bmp\0全て (*.*)\0*.*\0";
  ofn.nFilterIndex = rememberedFilterIndex;
  ofn.lpstrFile = path;
  ofn.nMaxFile = 520;
  ofn.lpstrTitle = L"背景画像ファイル指定";
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (!comdlgGetOpenFileName(&ofn)) return;
  rememberedFilterIndex = ofn.nFilterIndex;
  SetDlgItemTextW(dialog, IDC_BG_FILE, path);
}

void onBackgroundImageInit(HWND dialog) {
  setChecked(dialog, IDC_BG_ENABLE, ENABLE_BG_IMG);
  SendDlgItemMessageW(dialog, IDC_BG_FILE, EM_LIMITTEXT, 519, 0);
  SetDlgItemTextW(dialog, IDC_BG_FILE, BG_IMG_FILE);
}

}  // namespace

COLORREF standByColour(COLORREF windowKey, COLORREF imageKey) {
  COLORREF k = windowKey & 0xFFFFFF, t = imageKey & 0xFFFFFF;
  COLORREF a = k ^ 0x000001;
  if (a == t) a = k ^ 0x000100;
  return a;
}

void keyPixels(uint32_t* pixels, size_t count, COLORREF windowKey, COLORREF imageKey) {
  const uint32_t k = dibPixel(windowKey), t = dibPixel(imageKey);
  const uint32_t a = dibPixel(standByColour(windowKey, imageKey));
  for (size_t i = 0; i < count; ++i)
    if ((pixels[i] & 0xFFFFFF) == k) pixels[i] = a;
  for (size_t i = 0; i < count; ++i)
    if ((pixels[i] & 0xFFFFFF) == t) pixels[i] = k;
}

HBITMAP makeKeyedImage(HBITMAP source) {
  const COLORREF t = bgImageKeyColour & 0xFFFFFF, k = transparentKeyColor & 0xFFFFFF;
  // The image's see-through colour is the window's already: the file as it is will do.
  if (t == k) return loadImageFile();

  BITMAP bm{};
  if (!GetObjectW(source, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;
  BITMAPINFO info{};
  BITMAPINFOHEADER& header = info.bmiHeader;
  header.biSize = sizeof header;
  header.biWidth = bm.bmWidth;
  header.biHeight = bm.bmHeight;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;

  HDC screen = GetDC(nullptr);
  if (!screen) return nullptr;
  GetDIBits(screen, source, 0, bm.bmHeight, nullptr, &info, DIB_RGB_COLORS);
  // Some drivers leave the size of an uncompressed image at 0; it is rows of 4-byte pixels.
  unsigned long long bytes = (unsigned long long)bm.bmWidth * (unsigned long long)bm.bmHeight * 4;
  if (header.biSizeImage < bytes) header.biSizeImage = (DWORD)(bytes > 0xFFFFFFFFull ? 0 : bytes);
  header.biCompression = BI_RGB;
  if (header.biSizeImage == 0) {
    ReleaseDC(nullptr, screen);
    return nullptr;
  }

  HBITMAP result = nullptr;
  HANDLE heap = HeapCreate(0, 0, 0);
  void* buffer = heap ? HeapAlloc(heap, 0, header.biSizeImage) : nullptr;
  if (buffer && GetDIBits(screen, source, 0, bm.bmHeight, buffer, &info, DIB_RGB_COLORS)) {
    keyPixels((uint32_t*)buffer, header.biSizeImage / 4, k, t);
    result = CreateDIBitmap(screen, &header, CBM_INIT, buffer, &info, DIB_RGB_COLORS);
  }
  ReleaseDC(nullptr, screen);
  if (heap) HeapDestroy(heap);  // frees the buffer with it
  return result;
}

void loadBackgroundImage() {
  releaseStretchedImage();
  HBITMAP oldImage = backgroundImage, oldKeyed = keyedBackgroundImage;
  backgroundImage = loadImageFile();
  if (backgroundImage) {
    keyedBackgroundImage = makeKeyedImage(backgroundImage);
    BITMAP bm{};
    GetObjectW(backgroundImage, sizeof bm, &bm);
    backgroundImageSize = SIZE{bm.bmWidth, bm.bmHeight};
  } else {
    keyedBackgroundImage = nullptr;
  }
  if (oldImage) DeleteObject(oldImage);
  if (oldKeyed) DeleteObject(oldKeyed);
}

void deleteBackgroundImages() {
  releaseStretchedImage();
  if (backgroundImage) DeleteObject(backgroundImage);
  if (keyedBackgroundImage) DeleteObject(keyedBackgroundImage);
  backgroundImage = keyedBackgroundImage = nullptr;
}

HDC stretchedBackgroundImage(HDC dc, HBITMAP source, int width, int height) {
  if (source == stretchedSource && stretchedImage.holds(width, height)) return stretchedImage.dc();
  stretchedSource = nullptr;
  if (!source || !stretchedImage.make(dc, width, height)) return nullptr;
  MemoryDC imageDC(stretchedImage.dc());
  SelectedObject selected(imageDC.get(), source);
  // Colours stay exact when the image is shrunk: rows and columns are dropped, not ANDed.
  SetStretchBltMode(stretchedImage.dc(), COLORONCOLOR);
  StretchBlt(stretchedImage.dc(), 0, 0, width, height, imageDC.get(), 0, 0, backgroundImageSize.cx,
             backgroundImageSize.cy, SRCCOPY);
  stretchedSource = source;
  return stretchedImage.dc();
}

unsigned backgroundImageVersion() { return imageVersion; }

namespace {

void onBackgroundImageOk(HWND dialog) {
  ENABLE_BG_IMG = isChecked(dialog, IDC_BG_ENABLE);
  GetDlgItemTextW(dialog, IDC_BG_FILE, BG_IMG_FILE, 520);
  EndDialog(dialog, 1);
}

}  // namespace

INT_PTR CALLBACK backgroundImageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  static const DialogButton buttons[] = {{IDC_BG_BROWSE, browseForImage}};
  static const CheckBoxGroup groups[] = {{IDC_BG_ENABLE, fileControls}};
  static const OkCancelDialog handlers = {onBackgroundImageInit, onBackgroundImageOk, buttons, groups};
  return okCancelDialogMessage(dialog, message, wParam, handlers);
}

void applyBackgroundImage(HWND window) {
  loadBackgroundImage();
  InvalidateRect(window, nullptr, FALSE);
  if (!writeOptionInt(L"ENABLE_BG_IMG", ENABLE_BG_IMG)) {
    showSettingsWriteFailure(window);
    return;
  }
  writeSettingString(L"OPTION_SETTING", L"BG_IMG_FILE", BG_IMG_FILE);
}
