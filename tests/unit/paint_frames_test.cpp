// The painter keeps its back buffer, fonts and stretched image between paints and draws
// again only what changed; every frame must still equal the frame composed afresh.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "common/settings.h"
#include "display/background_image.h"
#include "display/colours_and_font.h"
#include "display/painter.h"
#include "display_test_support.h"
#include "fresh_frame.h"
#include "tests/support/dib_surface.h"

using namespace displaytest;
using testsupport::DibSurface;

namespace {

// Differing pixels of the painter's frame and the fresh one (of another frame when given).
size_t differingPixels(int W, int H, const FrameInputs& in, const FrameInputs* other = nullptr) {
  // Each a top-down 32-bit DIB section in its own memory DC: the window's stand-in.
  DibSurface kept(nullptr, W, H), fresh(nullptr, W, H);
  RECT all{0, 0, W, H};
  paintFrame(kept.dc(), W, H, in, all);
  composeFreshFrame(fresh.dc(), W, H, other ? *other : in);
  return testsupport::differingPixels(kept, fresh);
}

FrameInputs running(uint32_t ms, bool showSeconds, int W, int H) {
  FrameInputs in{};
  in.framed = true;
  in.outerWidth = W;
  in.outerHeight = H;
  in.running = true;
  in.remainingMs = ms;
  in.showSeconds = showSeconds;
  return in;
}

FrameInputs idle(int hours, int minutes, int seconds, int W, int H) {
  FrameInputs in = running(0, true, W, H);
  in.running = false;
  in.intervalHours = hours;
  in.intervalMinutes = minutes;
  in.intervalSeconds = seconds;
  return in;
}

constexpr uint32_t S = 1000, M = 60 * S, HR = 60 * M, DAY = 24 * HR;

class KeptFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    useFreshSettingsFile();
    readSettingsFile();  // every setting at its default
    transparentKeyColor = RGB(111, 111, 111);
    backgroundBrush = CreateSolidBrush(RGB(255, 255, 255));
    keyColorBrush = CreateSolidBrush(transparentKeyColor);
    image_ = tempPath(L"paint-bg.bmp");
    // Smaller than every client area below, so each frame enlarges it.
    writeBmp24(image_, 97, 53, [](int x, int y) {
      return x < 20 ? 0x000000u : uint32_t((x * 2) << 16 | (y * 4) << 8 | ((x + y) & 0xFF));
    });
    wcscpy_s(BG_IMG_FILE, image_.c_str());
    bgImageKeyColour = RGB(0, 0, 0);
  }
  void TearDown() override {
    releasePaintCache();
    deleteBackgroundImages();
    DeleteObject(backgroundBrush);
    DeleteObject(keyColorBrush);
    ENABLE_BG_IMG = 0;
    BG_IMG_TOUKA = 0;
    FONT_ITALIC = 0;
    textColour = 0;
    DeleteFileW(image_.c_str());
    DeleteFileW(settingsFilePath);
  }
  std::wstring image_;
};

struct Step {
  const char* what;
  std::function<FrameInputs()> frame;
  std::function<void()> change;  // a change of settings made before the frame, or none
};

TEST_F(KeptFrames, EveryFrameEqualsTheFrameComposedAfresh) {
  int W = 300, H = 200;  // two rows for C, D and E
  auto hmsOn = [&](uint32_t ms) { return [&W, &H, ms] { return running(ms, true, W, H); }; };
  auto hmOff = [&](uint32_t ms) { return [&W, &H, ms] { return running(ms, false, W, H); }; };
  auto frameless = [&](uint32_t ms) {
    return [&W, &H, ms] {
      FrameInputs in = running(ms, true, W, H);
      in.framed = false;
      return in;
    };
  };
  auto paused = [](std::function<FrameInputs()> frame) { return [frame] { FrameInputs in = frame(); in.paused = true; return in; }; };
  auto none = [] {};
  const Step steps[] = {
      {"idle E", [&] { return idle(30, 3, 0, W, H); }, none},
      {"interval changed", [&] { return idle(30, 4, 0, W, H); }, none},
      {"C two rows", hmsOn(3 * HR + 25 * M + 45 * S), none},
      {"a second on", hmsOn(3 * HR + 25 * M + 44 * S), none},
      {"a minute on", hmsOn(3 * HR + 24 * M + 59 * S), none},
      {"an hour on", hmsOn(2 * HR + 59 * M + 59 * S), none},
      {"same frame again", hmsOn(2 * HR + 59 * M + 59 * S), none},
      {"C to B", hmsOn(59 * M + 59 * S), none},
      {"B", hmsOn(10 * M + 10 * S), none},
      {"B a second on", hmsOn(10 * M + 9 * S), none},
      {"A", hmOff(3 * HR + 25 * M), none},
      {"A a minute on", hmOff(3 * HR + 24 * M), none},
      {"D", hmOff(2 * DAY + 3 * HR + 25 * M), none},
      {"D an hour on", hmOff(2 * DAY + 2 * HR + 59 * M), none},
      {"E running", hmsOn(2 * DAY + 3 * HR + 25 * M + 45 * S), none},
      {"E a second on", hmsOn(2 * DAY + 3 * HR + 25 * M + 44 * S), none},
      {"E paused", paused(hmsOn(2 * DAY + 3 * HR + 25 * M + 44 * S)), none},
      {"text colour", hmsOn(2 * DAY + 3 * HR + 25 * M + 43 * S), [] { textColour = RGB(200, 0, 40); }},
      {"background brush", hmsOn(2 * DAY + 3 * HR + 25 * M + 42 * S),
       [] {
         DeleteObject(backgroundBrush);
         backgroundBrush = CreateSolidBrush(RGB(0, 90, 0));
       }},
      {"wider: one row", hmsOn(3 * HR + 25 * M + 45 * S), [&] { W = 640, H = 360; }},
      {"one row, a minute on", hmsOn(3 * HR + 24 * M + 59 * S), none},
      {"one row paused", paused(hmsOn(3 * HR + 24 * M + 59 * S)), none},
      {"italic", hmsOn(3 * HR + 24 * M + 58 * S), [] { FONT_ITALIC = 1; }},
      {"italic, a second on", hmsOn(3 * HR + 24 * M + 57 * S), none},
      {"italic, an hour on", hmsOn(2 * HR + 59 * M + 59 * S), none},
      {"image on", hmsOn(2 * HR + 59 * M + 58 * S),
       [] {
         ENABLE_BG_IMG = 1;
         loadBackgroundImage();
       }},
      {"image, a second on", hmsOn(2 * HR + 59 * M + 57 * S), none},
      {"image paused", paused(hmsOn(2 * HR + 59 * M + 57 * S)), none},
      {"image continued", hmsOn(2 * HR + 59 * M + 57 * S), none},
      {"image, a minute on", hmsOn(2 * HR + 58 * M + 59 * S), none},
      {"frameless without the keyed image", frameless(2 * HR + 58 * M + 58 * S), none},
      {"frameless paused", paused(frameless(2 * HR + 58 * M + 58 * S)), none},
      {"frameless, keyed image", frameless(2 * HR + 58 * M + 57 * S), [] { BG_IMG_TOUKA = 1; }},
      {"keyed image, a second on", frameless(2 * HR + 58 * M + 56 * S), none},
      {"keyed image paused", paused(frameless(2 * HR + 58 * M + 56 * S)), none},
      {"image reloaded", frameless(2 * HR + 58 * M + 55 * S), [] { loadBackgroundImage(); }},
      {"smaller window", frameless(2 * HR + 58 * M + 54 * S), [&] { W = 301, H = 171; }},
      {"image off", hmsOn(2 * HR + 58 * M + 53 * S), [] { ENABLE_BG_IMG = 0; }},
  };
  for (const Step& s : steps) {
    s.change();
    const FrameInputs in = s.frame();
    EXPECT_EQ(differingPixels(W, H, in), 0u) << s.what;
    FrameInputs going = in;
    going.paused = false;
    if (in.paused) {
      EXPECT_GT(differingPixels(W, H, in, &going), 0u) << s.what << ": looks paused";
    }
  }
}

}  // namespace
