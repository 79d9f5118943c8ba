// Time of one whole WM_PAINT of the read-out (what paintDisplay does between BeginPaint and
// EndPaint, any bitmap it makes included) into a 32-bit DIB section standing in for the
// window, for each of the five layouts at 640 x 360, 1920 x 1080 and 3840 x 2160, with and
// without a background image, against the floor of one FillRect plus one BitBlt of the same
// size, all measured side by side:
//   before     the frame composed afresh as every paint did before (new bitmap, new fonts,
//              the image stretched again)
//   count-down paintFrame as a count-down calls it: each frame one second on (one minute on
//              for the layouts without seconds, which repaint once a minute)
//   all digits paintFrame with every digit changed from the frame before
//   new buffer paintFrame after a resize: back buffer, fonts and stretched image made anew
// Each case also checks that paintFrame's frame is pixel for pixel the fresh one (stretched
// with COLORONCOLOR, as the painter stretches: the image is shrunk at 640 x 360).
//
//   velmora_paint_bench.exe [milliseconds per measurement, default 400] [folder for the 640 x 360 frames]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/settings.h"
#include "display/background_image.h"
#include "display/colours_and_font.h"
#include "display/gdi_holders.h"
#include "display/painter.h"
#include "tests/unit/fresh_frame.h"
#include "tests/support/dib_surface.h"
#include "tests/support/performance_counter.h"

using testsupport::DibSurface;
using testsupport::nowMs;

namespace {

struct Case {
  Layout layout;
  const char* name;
  uint32_t remainingMs;
  bool showSeconds;
  uint32_t otherDigitsMs;  // a state of the same layout in which every digit differs
};

// A running count-down of each layout: 3 h 25 min, 25 min 45 s, 3:25:45, 2 d 3 h 25 min, and
// 2 d 3:25:45 left.
const Case cases[] = {
    {Layout::A, "A hh:mm", 12300000u, false, 51960000u},        // 14:26
    {Layout::B, "B mm:ss", 1545000u, true, 3197000u},           // 53:17
    {Layout::C, "C hh:mm:ss", 12345000u, true, 51916000u},      // 14:25:16
    {Layout::D, "D dd hh:mm", 185100000u, false, 1124460000u},  // 13d 00:21 -> all digits differ
    {Layout::E, "E dd hh:mm:ss", 185145000u, true, 1124516000u},
};

const SIZE sizes[] = {{640, 360}, {1920, 1080}, {3840, 2160}};

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
  swprintf_s(BG_IMG_FILE, L"%lsvelmora-paint-bench-%lu.bmp", folder, GetCurrentProcessId());
  // A colour gradient (a photograph-like background).
  const bool haveImage = testsupport::writeBmp24(BG_IMG_FILE, 800, 450, [](int x, int y) {
    y = 449 - y;  // counted from the bottom
    return uint32_t((x ^ y) & 0xFF) << 16 | uint32_t(y * 255 / 450) << 8 | uint32_t(x * 255 / 800);
  });
  char fontName[128] = {};
  WideCharToMultiByte(CP_UTF8, 0, FONT_NAME, -1, fontName, sizeof fontName, nullptr, nullptr);
  std::printf("font \"%s\", weight %d, framed window, default colours; image: an 800 x 450 gradient, stretched\n",
              fontName, FONT_WEIGHT.load());
  std::printf("ms per paint (median); in brackets the ratio to the floor of the same row\n");
  std::printf("%-10s %-14s %4s %5s %7s %15s %15s %15s %15s %6s\n", "size", "layout", "rows", "image", "floor",
              "before", "count-down", "all digits", "new buffer", "pixels");

  int failures = 0;
  for (const SIZE& size : sizes) {
    const int W = size.cx, H = size.cy;
    DibSurface frame(nullptr, W, H), window(nullptr, W, H), fresh(nullptr, W, H);
    if (!frame.ok() || !window.ok() || !fresh.ok()) {
      std::printf("%dx%d: cannot create the surfaces\n", W, H);
      ++failures;
      continue;
    }
    const RECT all{0, 0, W, H};
    auto floorFrame = [&] {
      FillRect(frame.dc(), &all, backgroundBrush);
      BitBlt(window.dc(), 0, 0, W, H, frame.dc(), 0, 0, SRCCOPY);
    };
    for (int image = 0; image <= (haveImage ? 1 : 0); ++image) {
      ENABLE_BG_IMG = image;
      loadBackgroundImage();
      for (const Case& c : cases) {
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
        // The floor next to each case, so that both see the same load of the machine.
        const double floorMs = medianMs(budgetMs, floorFrame);
        const double beforeMs = medianMs(budgetMs, [&] { composeFreshFrame(window.dc(), W, H, in); });

        // A count-down: each paint one step on, kept within the case's layout.
        const uint32_t step = c.showSeconds ? 1000u : 60000u, steps = c.showSeconds ? 600u : 60u;
        FrameInputs tick = in;
        uint32_t n = 0;
        releasePaintCache();
        const double countdownMs = medianMs(budgetMs, [&] {
          tick.remainingMs = c.remainingMs - step * (n++ % steps);
          paintFrame(window.dc(), W, H, tick, all);
        });
        // Pixels of the latest count-down frame against the same frame composed afresh.
        composeFreshFrame(fresh.dc(), W, H, tick, COLORONCOLOR);
        const size_t differing = testsupport::differingPixels(window, fresh);
        if (differing) ++failures;

        FrameInputs other = in;
        other.remainingMs = c.otherDigitsMs;
        n = 0;
        const double allDigitsMs = medianMs(budgetMs, [&] {
          paintFrame(window.dc(), W, H, (n++ % 2) ? other : in, all);
        });
        const double newBufferMs = medianMs(budgetMs, [&] {
          releasePaintCache();
          paintFrame(window.dc(), W, H, in, all);
        });

        if (argc > 2 && W == 640) {
          paintFrame(window.dc(), W, H, in, all);
          std::wstring path(argv[2], argv[2] + std::strlen(argv[2]));
          path += L"\\paint-" + std::wstring(1, (wchar_t)(L'A' + (int)c.layout)) + (image ? L"-image" : L"") + L".bmp";
          GdiFlush();
          testsupport::writeBmp32(path, W, H, window.bits());
        }
        char sizeText[32];
        std::snprintf(sizeText, sizeof sizeText, "%dx%d", W, H);
        auto cell = [&](double ms) {
          static char text[4][32];
          static int i = 0;
          i = (i + 1) % 4;
          std::snprintf(text[i], sizeof text[i], "%.3f (%.2f)", ms, ms / floorMs);
          return text[i];
        };
        std::printf("%-10s %-14s %4d %5s %7.3f %15s %15s %15s %15s %6s\n", sizeText, c.name, twoRows ? 2 : 1,
                    image ? "yes" : "no", floorMs, cell(beforeMs), cell(countdownMs), cell(allDigitsMs),
                    cell(newBufferMs), differing ? "DIFFER" : "same");
        std::fflush(stdout);
      }
    }
    releasePaintCache();
  }
  ENABLE_BG_IMG = 0;
  deleteBackgroundImages();
  DeleteObject(backgroundBrush);
  DeleteObject(keyColorBrush);
  DeleteFileW(BG_IMG_FILE);
  DeleteFileW(settingsFilePath);
  return failures ? 1 : 0;
}
