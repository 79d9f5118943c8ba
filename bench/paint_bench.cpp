// Time per frame of the read-out: renderFrame into an off-screen 32-bit DIB section plus the
// copy to a second one (what paintDisplay does per WM_PAINT, minus BeginPaint), for each of
// the five layouts at 640 x 360, 1920 x 1080 and 3840 x 2160, against the floor of one
// FillRect plus one BitBlt of the same size. Settings are the defaults.
//
//   velmora_paint_bench.exe [milliseconds per case, default 400] [folder for the 640 x 360 frames]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/startup.h"
#include "display/gdi_holders.h"
#include "display/painter.h"

namespace {

double nowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return (double)count.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

struct Case {
  Layout layout;
  const char* name;
  uint32_t remainingMs;
  bool showSeconds;
};

// A running count-down of each layout: 3 h 25 min, 25 min 45 s, 3:25:45, 2 d 3 h 25 min, and
// 2 d 3:25:45 left.
const Case cases[] = {
    {Layout::A, "A hh:mm", 12300000u, false},
    {Layout::B, "B mm:ss", 1545000u, true},
    {Layout::C, "C hh:mm:ss", 12345000u, true},
    {Layout::D, "D dd hh:mm", 185100000u, false},
    {Layout::E, "E dd hh:mm:ss", 185145000u, true},
};

const SIZE sizes[] = {{640, 360}, {1920, 1080}, {3840, 2160}};

// A top-down 32-bit DIB section selected into its own memory DC.
struct Surface {
  MemoryDC dc{nullptr};
  GdiObject<HBITMAP> bitmap;
  HGDIOBJ previous = nullptr;
  Surface(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (dc.get() && bitmap) previous = SelectObject(dc.get(), bitmap.get());
  }
  ~Surface() {
    if (previous) SelectObject(dc.get(), previous);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  bool ok() const { return dc.get() && bitmap && previous; }
};

// Median milliseconds of one call of `frame`, run for at least budgetMs and 5 times.
template <typename F>
double medianMs(double budgetMs, F frame) {
  for (int i = 0; i < 2; ++i) frame();  // fonts and glyph caches warm
  std::vector<double> times;
  const double start = nowMs();
  while (times.size() < 5 || nowMs() - start < budgetMs) {
    const double t = nowMs();
    frame();
    GdiFlush();
    times.push_back(nowMs() - t);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Writes the surface as a 32-bit bottom-up .bmp file, to look at what was timed.
void saveBitmap(const Surface& surface, int width, int height, const std::wstring& path) {
  std::vector<DWORD> pixels((size_t)width * height);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  GetDIBits(surface.dc.get(), surface.bitmap.get(), 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
  file.bfSize = file.bfOffBits + (DWORD)(pixels.size() * 4);
  if (FILE* f = _wfopen(path.c_str(), L"wb")) {
    std::fwrite(&file, sizeof(file), 1, f);
    std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, f);
    std::fwrite(pixels.data(), 4, pixels.size(), f);
    std::fclose(f);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const double budgetMs = argc > 1 ? std::max(50, std::atoi(argv[1])) : 400;

  // Defaults for every setting: read a settings file that does not exist.
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  swprintf_s(settingsFilePath, L"%lsvelmora-paint-bench-%lu.ini", folder, GetCurrentProcessId());
  DeleteFileW(settingsFilePath);
  readSettingsFile();
  backgroundBrush = CreateSolidBrush(backgroundColour);
  keyColorBrush = CreateSolidBrush(transparentKeyColor);
  char fontName[128] = {};
  WideCharToMultiByte(CP_UTF8, 0, FONT_NAME, -1, fontName, sizeof fontName, nullptr, nullptr);
  std::printf("font \"%s\", weight %d, framed window, default colours\n", fontName, FONT_WEIGHT.load());
  std::printf("%-11s %-15s %4s %10s %10s %7s\n", "size", "layout", "rows", "frame ms", "floor ms", "ratio");

  int failures = 0;
  for (const SIZE& size : sizes) {
    const int W = size.cx, H = size.cy;
    Surface frame(W, H), window(W, H);
    if (!frame.ok() || !window.ok()) {
      std::printf("%dx%d: cannot create the surfaces\n", W, H);
      ++failures;
      continue;
    }
    RECT all{0, 0, W, H};
    auto floorFrame = [&] {
      FillRect(frame.dc.get(), &all, backgroundBrush);
      BitBlt(window.dc.get(), 0, 0, W, H, frame.dc.get(), 0, 0, SRCCOPY);
    };
    for (const Case& c : cases) {
      // The floor next to each case, so that both see the same load of the machine.
      const double floorMs = medianMs(budgetMs, floorFrame);
      FrameInputs in{};
      in.framed = true;
      in.outerWidth = W;
      in.outerHeight = H;
      in.running = true;
      in.remainingMs = c.remainingMs;
      in.showSeconds = c.showSeconds;
      if (frameLayout(in) != c.layout) {
        std::printf("%dx%d %s: the state gives another layout\n", W, H, c.name);
        ++failures;
        continue;
      }
      const bool twoRows = frameTwoRows(in, c.layout);
      const double frameMs = medianMs(budgetMs, [&] {
        renderFrame(frame.dc.get(), W, H, in);
        BitBlt(window.dc.get(), 0, 0, W, H, frame.dc.get(), 0, 0, SRCCOPY);
      });
      if (argc > 2 && W == 640) {
        std::wstring path(argv[2], argv[2] + std::strlen(argv[2]));
        path += L"\\paint-" + std::wstring(1, (wchar_t)(L'A' + (int)c.layout)) + L".bmp";
        saveBitmap(window, W, H, path);
      }
      char sizeText[32];
      std::snprintf(sizeText, sizeof sizeText, "%dx%d", W, H);
      std::printf("%-11s %-15s %4d %10.3f %10.3f %7.2f\n", sizeText, c.name, twoRows ? 2 : 1, frameMs,
                  floorMs, frameMs / floorMs);
    }
  }
  DeleteObject(backgroundBrush);
  DeleteObject(keyColorBrush);
  DeleteFileW(settingsFilePath);
  return failures ? 1 : 0;
}
