// The frameless see-through form on screen: screenshots of the X root window with the
// program over a patterned window of the test, plain, with a keyed background image, and
// translucent (stored attributes; the virtual desktop does not blend on screen).
#include <gtest/gtest.h>

#include "look_support.h"
#include "velmora_harness.h"

using e2e::VelmoraProcess;
using namespace look;

namespace {

const RECT kPatternRect{40, 40, 640, 440};

std::wstring placedSettings(const std::wstring& extraOptions, int layered = 0) {
  return L"[OPTION_SETTING]\r\nWIN_SAVE=1\r\nALWAYS_TRAY=0\r\n" + extraOptions +
         L"[WINDOW]\r\nLEFT=100\r\nTOP=100\r\nWIDTH=420\r\nHEIGHT=220\r\nLAYERED=" + std::to_wstring(layered) +
         L"\r\n";
}

RECT windowRect(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

RECT clientRect(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  MapWindowPoints(w, nullptr, (POINT*)&r, 2);
  return r;
}

bool framed(HWND w) { return (GetWindowLongW(w, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME)) != 0; }

// Waits until a screenshot of the window's rectangle satisfies ok.
Shot waitForShot(HWND w, const std::function<bool(const Shot&)>& ok, DWORD timeoutMs = 5000) {
  Shot s;
  e2e::waitFor([&] { s = screenshot(windowRect(w)); return !s.empty() && ok(s); }, timeoutMs, 150);
  return s;
}

// A 24-bit BMP of w x h: left half green (the image key colour of these tests), right half yellow.
std::string halfGreenHalfYellowBmp(int w, int h) {
  const int stride = (w * 3 + 3) & ~3;
  std::string bmp(54 + size_t(stride) * h, '\0');
  auto put32 = [&](size_t o, uint32_t v) { for (int i = 0; i < 4; ++i) bmp[o + i] = char(v >> (8 * i)); };
  bmp[0] = 'B', bmp[1] = 'M';
  put32(2, uint32_t(bmp.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(w));
  put32(22, uint32_t(h));
  bmp[26] = 1, bmp[28] = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      char* p = &bmp[54 + size_t(y) * stride + x * 3];
      p[0] = 0;                      // blue
      p[1] = char(255);              // green
      p[2] = x < w / 2 ? 0 : char(255);  // red
    }
  return bmp;
}

TEST(LookFrameless, F3ShowsThePatternThroughTheKeyColourWithTheDigitsOpaque) {
  PatternWindow pattern(kPatternRect);
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(placedSettings(L"")));
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND w = app.window();
  ASSERT_TRUE(framed(w));

  Shot before;
  e2e::waitFor([&] { before = screenshot(clientRect(w)); return before.count(0xFFFFFF) > before.pixels.size() / 3; },
               5000, 150);
  savePicture(before, L"look-framed.bmp");
  EXPECT_EQ(before.count(kRed) + before.count(kBlue), 0u) << "a framed window is opaque";
  EXPECT_GT(before.count(0x000000), 500u);

  RECT outerBefore = windowRect(w);
  ASSERT_TRUE(app.key(VK_F3));
  ASSERT_TRUE(e2e::waitFor([&] { return !framed(w); }, 3000));
  RECT outerAfter = windowRect(w);
  EXPECT_TRUE(EqualRect(&outerBefore, &outerAfter)) << "the window rectangle stays where it is";

  Shot see = waitForShot(w, [](const Shot& s) { return s.count(kRed) + s.count(kBlue) > s.pixels.size() / 2; });
  savePicture(see, L"look-frameless.bmp");
  EXPECT_GT(see.count(kRed) + see.count(kBlue), see.pixels.size() / 2) << "the pattern shows through";
  EXPECT_EQ(see.count(kKeyGrey), 0u) << "no pixel of the key colour is visible";
  EXPECT_GT(see.count(0x000000), 500u) << "the digits stay opaque";
  EXPECT_EQ(see.count(0xFFFFFF), 0u) << "no background colour in the frameless form";

  // A real double click on a digit switches back.
  int dx = -1, dy = -1;
  for (int y = see.height / 3; y < see.height && dx < 0; ++y)
    for (int x = 0; x < see.width; ++x)
      if (see.at(x, y) == 0 && x + 2 < see.width && see.at(x + 1, y) == 0 && see.at(x + 2, y) == 0) {
        dx = x + 1, dy = y;
        break;
      }
  ASSERT_GE(dx, 0);
  ASSERT_TRUE(xClick(outerAfter.left + dx, outerAfter.top + dy, 1, 2));
  EXPECT_TRUE(e2e::waitFor([&] { return framed(w); }, 3000)) << "double click on a digit";
  EXPECT_FALSE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED);
}

TEST(LookFrameless, TextColourEqualToTheKeyMovesTheKeyAndTheDigitsStayVisible) {
  PatternWindow pattern(kPatternRect);
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(placedSettings(L"TXT_COLOR_R=111\r\nTXT_COLOR_G=111\r\nTXT_COLOR_B=111\r\n", 1)));
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND w = app.window();
  ASSERT_FALSE(framed(w));
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(w, &key, &alpha, &flags));
  EXPECT_EQ(key, RGB(110, 110, 110));
  Shot s = waitForShot(w, [](const Shot& s) { return s.count(kKeyGrey) > 500; });
  EXPECT_GT(s.count(kKeyGrey), 500u) << "digits in RGB(111,111,111)";
  EXPECT_EQ(s.count(0x6E6E6E), 0u) << "the moved key is see-through";
  EXPECT_GT(s.count(kRed) + s.count(kBlue), s.pixels.size() / 2);
}

TEST(LookFrameless, KeyedBackgroundImageShowsWithItsKeyColourSeeThrough) {
  PatternWindow pattern(kPatternRect);
  VelmoraProcess app;
  ASSERT_TRUE(app.writeFile(L"bg.bmp", halfGreenHalfYellowBmp(40, 20)));
  ASSERT_TRUE(app.writeSettings(placedSettings(L"ENABLE_BG_IMG=1\r\nBG_IMG_FILE=" + app.path(L"bg.bmp") +
                                               L"\r\nBG_IMG_TOUKA=1\r\nBG_IMG_TOUKA_R=0\r\nBG_IMG_TOUKA_G=255\r\n"
                                               L"BG_IMG_TOUKA_B=0\r\n")));
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND w = app.window();

  // Framed: the whole image, green and yellow.
  Shot framedShot;
  e2e::waitFor([&] {
    framedShot = screenshot(clientRect(w));
    return framedShot.count(0x00FF00) > 1000 && framedShot.count(0xFFFF00) > 1000;
  }, 5000, 150);
  savePicture(framedShot, L"look-image-framed.bmp");
  EXPECT_GT(framedShot.count(0x00FF00), 1000u);

  ASSERT_TRUE(app.key(VK_F3));
  ASSERT_TRUE(e2e::waitFor([&] { return !framed(w); }, 3000));
  Shot s = waitForShot(w, [](const Shot& s) { return s.count(0x00FF00) == 0 && s.count(kRed) > 1000; });
  savePicture(s, L"look-image-keyed.bmp");
  EXPECT_EQ(s.count(0x00FF00), 0u) << "the image key colour is see-through";
  // Left half: the pattern; right half: the yellow of the image.
  size_t leftPattern = 0, rightYellow = 0, leftYellow = 0;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      uint32_t p = s.at(x, y);
      if (x < s.width / 2 - 4) leftPattern += p == kRed || p == kBlue, leftYellow += p == 0xFFFF00;
      if (x > s.width / 2 + 4) rightYellow += p == 0xFFFF00;
    }
  size_t half = size_t(s.width / 2 - 4) * s.height;
  EXPECT_GT(leftPattern, half / 2);
  EXPECT_EQ(leftYellow, 0u);
  EXPECT_GT(rightYellow, half / 2);
  EXPECT_GT(s.count(0x000000), 500u) << "digits";
}

TEST(LookFrameless, TranslucencyIsStoredOnTheFramelessWindowOnly) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(placedSettings(L"ENABLE_ALPHA=1\r\nWIN_ALPHA=128\r\n")));
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND w = app.window();
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  EXPECT_FALSE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED) << "the framed window stays opaque";

  ASSERT_TRUE(app.key(VK_F3));
  ASSERT_TRUE(e2e::waitFor([&] { return GetLayeredWindowAttributes(w, &key, &alpha, &flags) && flags; }, 3000));
  EXPECT_FALSE(framed(w));
  EXPECT_EQ(key, RGB(111, 111, 111));
  EXPECT_EQ(alpha, 128);
  EXPECT_EQ(flags, DWORD(LWA_COLORKEY | LWA_ALPHA));

  // Saved as frameless; the next start comes up frameless with the same attributes.
  ASSERT_TRUE(app.close());
  EXPECT_EQ(app.iniInt(L"WINDOW", L"LAYERED"), 1);
  ASSERT_TRUE(app.restart()) << app.lastError();
  w = app.window();
  EXPECT_FALSE(framed(w));
  ASSERT_TRUE(GetLayeredWindowAttributes(w, &key, &alpha, &flags));
  EXPECT_EQ(alpha, 128);
  EXPECT_EQ(flags, DWORD(LWA_COLORKEY | LWA_ALPHA));
}

// A monochrome BMP of w x h, striped black and white by columns of 8.
std::string stripedMonochromeBmp(int w, int h) {
  const int stride = ((w + 31) / 32) * 4;
  std::string bmp(62, '\0');
  auto put32 = [&](size_t o, uint32_t v) { for (int i = 0; i < 4; ++i) bmp[o + i] = char(v >> (8 * i)); };
  bmp[0] = 'B', bmp[1] = 'M';
  put32(2, uint32_t(62 + size_t(stride) * h));
  put32(10, 62);
  put32(14, 40);
  put32(18, uint32_t(w));
  put32(22, uint32_t(h));
  bmp[26] = 1, bmp[28] = 1;
  bmp[58] = bmp[59] = bmp[60] = char(255);  // colour 1: white
  bmp.append(size_t(stride) * h, '\x0F');
  return bmp;
}

TEST(LookFrameless, HugeTinyAndBrokenBackgroundImagesNeitherCrashNorStopTheWindow) {
  struct Case {
    const char* name;
    std::string file;
  } cases[] = {
      {"10000 x 10000", stripedMonochromeBmp(10000, 10000)},
      {"1 x 1", halfGreenHalfYellowBmp(1, 1)},
      {"not a bitmap", "BM\x10\x00 this is text"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VelmoraProcess app;
    ASSERT_TRUE(app.writeFile(L"bg.bmp", c.file));
    ASSERT_TRUE(app.writeSettings(placedSettings(L"ENABLE_BG_IMG=1\r\nBG_IMG_TOUKA=1\r\nBG_IMG_FILE=" +
                                                 app.path(L"bg.bmp") + L"\r\n")));
    ASSERT_TRUE(app.start()) << app.lastError();
    e2e::Capture shot;
    EXPECT_TRUE(e2e::waitFor([&] { shot = app.capture(); return shot.count(0x000000) > 200; }, 10000, 200))
        << "the read-out is painted";
    ASSERT_TRUE(app.key(VK_F3));
    EXPECT_TRUE(e2e::waitFor([&] { return !framed(app.window()); }, 10000));
    EXPECT_TRUE(app.close(20000)) << app.lastError();
    EXPECT_EQ(app.exitCode(), 0u);
  }
}

}  // namespace
