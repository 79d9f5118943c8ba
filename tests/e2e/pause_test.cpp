// Pause end to end: Space parks an interval or program count-down with its time left, F5 still
// asks to stop, continuing counts the rest down, and a paused run survives a restart paused.
#include <gtest/gtest.h>

#include <string>

#include "velmora_harness.h"

using e2e::VelmoraProcess;

namespace {

const std::wstring kInterval = L"間隔指定タイマー", kProgram = L"プログラムタイマー";
const wchar_t kQuiet[] = L"[OPTION_SETTING]\r\nSTART_SYURYO_CHECK=0\r\nALARM_PLAY=0\r\n[PROGRAM_TIMER]\r\nNO=0\r\n";

long long utcNowMs() {
  FILETIME f;
  GetSystemTimeAsFileTime(&f);
  return ((long long)f.dwHighDateTime << 32 | f.dwLowDateTime) / 10000 - 11644473600000LL;
}

// Space pauses (paused title, PAUSED=1, returns PAUSE_LEFT) or continues (running title,
// PAUSED=0, returns how far ahead of the press the new calendar end lies).
int pressSpace(const VelmoraProcess& app, const std::wstring& kind, bool pause) {
  const long long pressed = utcNowMs();
  EXPECT_TRUE(app.key(VK_SPACE));
  EXPECT_TRUE(app.waitForTitle(kind + (pause ? L"一時停止中" : L"作動中") + L" - Velmora")) << app.title();
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"ALARM_TIME", L"PAUSED", -1) == (pause ? 1 : 0); }, 2000));
  if (pause) return app.iniInt(L"ALARM_TIME", L"PAUSE_LEFT");
  return int(_wtoi64(app.iniString(L"ALARM_TIME", L"END_UTC").c_str()) - pressed);
}

TEST(PauseE2E, IntervalStandsStillWhilePausedAsksBeforeStoppingAndContinuesFromThere) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(kQuiet));
  ASSERT_TRUE(app.start(L"6")) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kInterval + L"作動中 - Velmora")) << app.title();
  Sleep(1500);
  const int left = pressSpace(app, kInterval, true);
  EXPECT_NEAR(left, 4300, 800);
  Sleep(2500);
  EXPECT_EQ(app.iniInt(L"ALARM_TIME", L"PAUSE_LEFT"), left);
  ASSERT_TRUE(app.key(VK_F5));
  HWND box = app.waitForMessageBox(L"タイマーを終了しますか？");
  ASSERT_TRUE(VelmoraProcess::pressButton(box, IDNO) && VelmoraProcess::waitForGone(box));
  EXPECT_NEAR(pressSpace(app, kInterval, false), left, 300);
  EXPECT_TRUE(e2e::waitFor([&] { return app.title() == L"Velmora"; }, left + 1500)) << app.title();
  EXPECT_TRUE(app.close());
}

TEST(PauseE2E, ProgramStepPausedPastItsEndShowsItsMessageOnlyAfterContinuing) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeUtf16File(e2e::currentUserName() + L"_program_timer_0.txt",
                                 L"3000\t\t0\t一番目\r\n3000\t\t0\t二番目\r\n"));
  ASSERT_TRUE(app.writeSettings(kQuiet));
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.key(VK_F8));
  ASSERT_TRUE(app.waitForTitle(kProgram + L"作動中 - Velmora")) << app.title();
  Sleep(1000);
  const int left = pressSpace(app, kProgram, true);
  Sleep(left + 1000);  // past the step's planned end
  EXPECT_EQ(app.findMessageBox(L"一番目"), nullptr);
  EXPECT_NEAR(pressSpace(app, kProgram, false), left, 300);
  HWND box = app.waitForMessageBox(L"一番目", left + 2000);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"PROGRAM_TIMER", L"STEP") == 1; }, 2000));
  VelmoraProcess::pressButton(box, IDOK);
  EXPECT_TRUE(app.close());
}

// Default colours: black digits on white, paused halfway, in grey.
TEST(PauseE2E, AHeldSpacePausesOnceAndThePausedReadOutIsGrey) {
  VelmoraProcess app;
  auto shows = [&](uint32_t digits, uint32_t absent) {
    return e2e::waitFor([&] { e2e::Capture c = app.capture(); return c.count(digits) && !c.count(absent); }, 3000);
  };
  ASSERT_TRUE(app.writeSettings(kQuiet));
  ASSERT_TRUE(app.start(L"600")) << app.lastError();
  EXPECT_TRUE(shows(0x000000, 0x7F7F7F));
  // The first WM_KEYDOWN, three auto-repeats (bit 30: the key was down already), WM_KEYUP.
  const LPARAM scan = LPARAM(MapVirtualKeyW(VK_SPACE, MAPVK_VK_TO_VSC)) << 16 | 1;
  for (LPARAM bits : {0, 1 << 30, 1 << 30, 1 << 30}) ASSERT_TRUE(app.post(WM_KEYDOWN, VK_SPACE, scan | bits));
  ASSERT_TRUE(app.post(WM_KEYUP, VK_SPACE, scan | 3 << 30));
  EXPECT_TRUE(app.waitForTitle(kInterval + L"一時停止中 - Velmora")) << app.title();
  EXPECT_TRUE(shows(0x7F7F7F, 0x000000));
  e2e::saveShot(app.capture(), L"paused-framed");
  pressSpace(app, kInterval, false);
  EXPECT_TRUE(shows(0x000000, 0x7F7F7F));
  EXPECT_TRUE(app.close());
}

TEST(PauseE2E, PausedRunSurvivesARestartPausedWithTheSameTimeLeft) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(kQuiet));
  ASSERT_TRUE(app.start(L"30")) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kInterval + L"作動中 - Velmora")) << app.title();
  const int left = pressSpace(app, kInterval, true);
  app.killHard();
  ASSERT_TRUE(app.restart()) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kInterval + L"一時停止中 - Velmora", 3000)) << app.title();
  Sleep(1500);
  EXPECT_EQ(app.iniInt(L"ALARM_TIME", L"PAUSE_LEFT"), left);
  EXPECT_NEAR(pressSpace(app, kInterval, false), left, 300);
  EXPECT_TRUE(app.close());
}

}  // namespace
