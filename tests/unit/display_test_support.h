// Shared pieces of the display tests: a private settings file, generated bitmap files,
// pixel reading, pumping messages, and driving a modal dialog from a helper thread.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/dib_surface.h"
#include "tests/support/whole_file.h"

#include "common/settings.h"

namespace displaytest {

inline std::wstring tempPath(const std::wstring& name) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  wchar_t full[MAX_PATH + 64];
  swprintf_s(full, std::size(full), L"%lsvelmora-display-%lu-%ls", dir, GetCurrentProcessId(), name.c_str());
  return full;
}

// Points the program's settings file at a fresh file (UTF-16 with its mark).
inline std::wstring useFreshSettingsFile(const wchar_t* name = L"settings.ini") {
  std::wstring path = tempPath(name);
  testsupport::writeWholeFile(path, "\xFF\xFE");
  wcscpy_s(settingsFilePath, path.c_str());
  return path;
}

// The whole settings file as text (UTF-16 with the mark dropped).
inline std::wstring settingsText() { return testsupport::readUtf16File(settingsFilePath); }

// Positions of the keys in the file text, in the order asked; npos for a missing key.
inline std::vector<size_t> keyPositions(const std::wstring& text, const std::vector<std::wstring>& keys) {
  std::vector<size_t> at;
  for (const std::wstring& k : keys) at.push_back(text.find(L"\n" + k + L"="));
  return at;
}

// A 24-bit bottom-up BMP file; pixel(x, y) gives 0x00RRGGBB with y counted from the top.
using testsupport::writeBmp24;

// A monochrome BMP of any size, written row by row (for very large images).
inline bool writeBmp1(const std::wstring& path, int w, int h) {
  const int stride = ((w + 31) / 32) * 4;
  BITMAPFILEHEADER fh{};
  struct {
    BITMAPINFOHEADER ih;
    RGBQUAD colours[2];
  } info{};
  info.ih = testsupport::dibHeader(w, h, 1);
  info.ih.biSizeImage = DWORD(stride) * h;
  info.colours[1] = RGBQUAD{255, 255, 255, 0};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof info;
  fh.bfSize = fh.bfOffBits + info.ih.biSizeImage;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD n;
  bool ok = WriteFile(f, &fh, sizeof fh, &n, nullptr) && WriteFile(f, &info, sizeof info, &n, nullptr);
  std::vector<uint8_t> row(stride, 0xAA);
  for (int y = 0; ok && y < h; ++y) ok = WriteFile(f, row.data(), DWORD(stride), &n, nullptr);
  CloseHandle(f);
  return ok;
}

// All pixels of a bitmap as 0x00RRGGBB, rows top to bottom; empty when it cannot be read.
struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> data;
  uint32_t at(int x, int y) const { return data[size_t(y) * width + x]; }
};
inline Pixels readBitmap(HBITMAP bitmap) {
  Pixels p;
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) return p;
  BITMAPINFO info{};
  info.bmiHeader = testsupport::dibHeader(bm.bmWidth, -bm.bmHeight, 32);
  p.data.resize(size_t(bm.bmWidth) * bm.bmHeight);
  HDC screen = GetDC(nullptr);
  int rows = GetDIBits(screen, bitmap, 0, bm.bmHeight, p.data.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != bm.bmHeight) return Pixels{};
  for (uint32_t& v : p.data) v &= 0xFFFFFF;
  p.width = bm.bmWidth;
  p.height = bm.bmHeight;
  return p;
}

// Screen pixels of a rectangle in screen coordinates (the screen DC), 0x00RRGGBB.
inline Pixels captureScreen(const RECT& r) {
  Pixels p;
  HDC screen = GetDC(nullptr);
  p.data = testsupport::copyPixels(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
  ReleaseDC(nullptr, screen);
  if (!p.data.empty()) p.width = r.right - r.left, p.height = r.bottom - r.top;
  return p;
}

inline size_t countColour(const Pixels& p, uint32_t rgb) {
  size_t n = 0;
  for (uint32_t v : p.data) n += v == rgb;
  return n;
}

// Dispatches this thread's messages for about ms milliseconds.
inline void pump(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  do {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    Sleep(5);
  } while ((LONG)(end - GetTickCount()) > 0);
}

inline void setText(HWND dialog, int id, const wchar_t* text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, (LPARAM)text);
}
inline void click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
inline bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
inline bool checked(HWND dialog, int id) {
  return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
inline std::wstring text(HWND dialog, int id) {
  wchar_t buf[600] = L"";
  GetWindowTextW(GetDlgItem(dialog, id), buf, 600);
  return buf;
}

}  // namespace displaytest
