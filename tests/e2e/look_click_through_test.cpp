// Click-through with real X clicks: a right click over a see-through pixel and over a
// digit, in modes 0, 1 and 2, framed and frameless. Who got it shows at once: the
// program's context menu opens, or the pattern window of the test counts a press.
#include <gtest/gtest.h>

#include "look_support.h"
#include "velmora_harness.h"

using e2e::VelmoraProcess;
using namespace look;

namespace {

const RECT kPatternRect{40, 40, 640, 440};

std::wstring settings(int untouchable, int layered) {
  return L"[OPTION_SETTING]\r\nWIN_SAVE=1\r\nALWAYS_TRAY=1\r\nUNTOUCHABLE=" + std::to_wstring(untouchable) +
         L"\r\n[WINDOW]\r\nLEFT=100\r\nTOP=100\r\nWIDTH=420\r\nHEIGHT=220\r\nLAYERED=" + std::to_wstring(layered) +
         L"\r\n";
}

enum class Receiver { Program, Pattern, Nobody };

// Right-clicks at (x, y) once and reports who reacted.
Receiver rightClickOnce(const VelmoraProcess& app, int x, int y) {
  int before = patternClicks;
  if (!xClick(x, y, 3)) return Receiver::Nobody;
  Receiver got = Receiver::Nobody;
  e2e::waitFor([&] {
    if (findPopupMenu(app.processId())) got = Receiver::Program;
    else if (patternClicks > before) got = Receiver::Pattern;
    return got != Receiver::Nobody;
  }, 2000, 20);
  if (got == Receiver::Program) {
    xKey(L"Escape");
    e2e::waitFor([&] { return findPopupMenu(app.processId()) == nullptr; }, 2000);
  }
  return got;
}

// Now and then, soon after a window changed, an X click reaches no window at all; that is
// no answer to who takes clicks, so the click is tried again.
Receiver rightClickAt(const VelmoraProcess& app, int x, int y) {
  Receiver got = Receiver::Nobody;
  for (int attempt = 0; attempt < 3 && got == Receiver::Nobody; ++attempt) got = rightClickOnce(app, x, y);
  return got;
}

const char* name(Receiver r) { return r == Receiver::Program ? "program" : r == Receiver::Pattern ? "pattern" : "nobody"; }

// A digit pixel and a see-through (or background) pixel of the window, in screen coordinates.
struct Spots {
  POINT digit{-1, -1}, clear{-1, -1};
};
Spots findSpots(HWND w, bool framed) {
  Spots spots;
  RECT r{};
  GetClientRect(w, &r);
  MapWindowPoints(w, nullptr, (POINT*)&r, 2);
  Shot s;
  // In mode 2 the background window lies under the see-through pixels; the virtual desktop
  // does not blend its opacity of 1, so it shows in its background colour, white.
  auto clearColour = [&](uint32_t p) { return framed ? p == 0xFFFFFF : (p == kRed || p == kBlue || p == 0xFFFFFF); };
  // Digits and, framed, the white background: a shot taken before the repaint after a form
  // switch still shows the other form.
  e2e::waitFor([&] {
    s = screenshot(r);
    return !s.empty() && s.count(0x000000) > 500 && (!framed || s.count(0xFFFFFF) > 500);
  }, 5000, 150);
  if (s.empty()) return spots;
  auto block = [&](int cx, int cy, auto&& pred) {
    for (int y = cy - 3; y <= cy + 3; ++y)
      for (int x = cx - 3; x <= cx + 3; ++x)
        if (x < 0 || y < 0 || x >= s.width || y >= s.height || !pred(s.at(x, y))) return false;
    return true;
  };
  for (int y = 4; y < s.height - 4 && spots.digit.x < 0; ++y)
    for (int x = 4; x < s.width - 4; ++x)
      if (block(x, y, [](uint32_t p) { return p == 0; })) {
        spots.digit = POINT{r.left + x, r.top + y};
        break;
      }
  for (int y = s.height / 2; y < s.height - 4 && spots.clear.x < 0; ++y)
    for (int x = s.width / 2; x < s.width - 4; ++x)
      if (block(x, y, clearColour)) {
        spots.clear = POINT{r.left + x, r.top + y};
        break;
      }
  return spots;
}

TEST(LookClickThrough, RightClicksReachTheWindowEachModeNames) {
  struct Case {
    int mode;
    bool frameless;
    Receiver onClear, onDigit;
  } cases[] = {
      {0, true, Receiver::Pattern, Receiver::Program},   // only see-through pixels let clicks through
      {1, true, Receiver::Pattern, Receiver::Pattern},   // everything goes through
      {2, true, Receiver::Program, Receiver::Program},   // the background window catches all
      {1, false, Receiver::Program, Receiver::Program},  // framed: taken everywhere
  };
  PatternWindow pattern(kPatternRect);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << (c.frameless ? " frameless" : " framed"));
    VelmoraProcess app;
    ASSERT_TRUE(app.writeSettings(settings(c.mode, c.frameless ? 1 : 0)));
    ASSERT_TRUE(app.start()) << app.lastError();
    Spots spots = findSpots(app.window(), !c.frameless);
    ASSERT_GE(spots.digit.x, 0);
    ASSERT_GE(spots.clear.x, 0);
    EXPECT_STREQ(name(rightClickAt(app, spots.clear.x, spots.clear.y)), name(c.onClear)) << "see-through pixel";
    EXPECT_STREQ(name(rightClickAt(app, spots.digit.x, spots.digit.y)), name(c.onDigit)) << "digit";
    xMove(900, 700);  // off the window: the background window goes back to opacity 1
    if (!app.close()) app.killHard();  // a closed program takes its tray icon along
  }
}

TEST(LookClickThrough, ModeOneWindowIsClickableAgainWhenFramed) {
  PatternWindow pattern(kPatternRect);
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(settings(1, 1)));
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND w = app.window();
  EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  ASSERT_TRUE(app.key(VK_F3));
  ASSERT_TRUE(e2e::waitFor([&] { return !(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TRANSPARENT); }, 3000));
  EXPECT_FALSE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED);
  Spots spots = findSpots(w, true);
  ASSERT_GE(spots.clear.x, 0);
  EXPECT_STREQ(name(rightClickAt(app, spots.clear.x, spots.clear.y)), "program");
  ASSERT_TRUE(app.key(VK_F3));
  ASSERT_TRUE(e2e::waitFor([&] { return (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0; }, 3000));
}

TEST(LookClickThrough, ModeTwoHandsADoubleClickOnAndIgnoresASingleOne) {
  PatternWindow pattern(kPatternRect);
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(settings(2, 1)));
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND w = app.window();
  Spots spots = findSpots(w, false);
  ASSERT_GE(spots.clear.x, 0);
  auto framed = [&] { return (GetWindowLongW(w, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME)) != 0; };

  ASSERT_TRUE(xClick(spots.clear.x, spots.clear.y, 1));
  Sleep(GetDoubleClickTime() + 300);
  EXPECT_FALSE(framed()) << "a single left click only activates";
  EXPECT_EQ(patternClicks, 0);
  EXPECT_EQ(findPopupMenu(app.processId()), nullptr);

  ASSERT_TRUE(xClick(spots.clear.x, spots.clear.y, 1, 2));
  EXPECT_TRUE(e2e::waitFor(framed, 3000)) << "the double click reached the main window";
  EXPECT_EQ(patternClicks, 0);
  xMove(900, 700);
}

}  // namespace
