// Clocks that move under a running timer: the wall clock set forward or back, a PC that slept,
// the tick count running past its 32-bit end. Only in the session of scripts/clock-test.sh,
// which lets a test move every clock of the session.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "velmora_harness.h"

using e2e::VelmoraProcess;

namespace {

const wchar_t kQuiet[] = L"[OPTION_SETTING]\r\nSTART_SYURYO_CHECK=0\r\nALARM_PLAY=0\r\n";
const wchar_t kTimeOfDayTitle[] = L"時刻指定タイマー作動中 - Velmora";
const wchar_t kIntervalTitle[] = L"間隔指定タイマー作動中 - Velmora";

long long tick() { return (long long)GetTickCount64(); }

// The tick at which the title left `running`, or 0 when it did not within timeoutMs.
long long endSeen(const VelmoraProcess& app, const wchar_t* running, long long timeoutMs) {
  long long seen = 0;
  e2e::waitFor([&] {
    if (app.title() == running) return false;
    seen = tick();
    return true;
  }, (DWORD)(timeoutMs < 0 ? 0 : timeoutMs), 2);
  return seen;
}

// Starts a time-of-day timer on the whole second `seconds` ahead through dialog 202; that
// second as local calendar milliseconds, or 0.
long long startTimeOfDay(const VelmoraProcess& app, int seconds) {
  const long long target = (e2e::nowMs() / 1000 + seconds) * 1000;
  const SYSTEMTIME when = e2e::localAt(target);
  if (!app.key(VK_F7)) return 0;
  HWND dialog = app.waitForDialog(L"時刻指定のタイマーのセット");
  if (!dialog) return 0;
  SendMessageW(GetDlgItem(dialog, 1005), WM_SETTEXT, 0, (LPARAM)std::to_wstring(when.wYear).c_str());
  const int ids[5] = {1007, 1008, 1009, 1010, 1011};
  const int values[5] = {when.wMonth - 1, when.wDay - 1, when.wHour, when.wMinute, when.wSecond};
  for (int i = 0; i < 5; ++i) SendMessageW(GetDlgItem(dialog, ids[i]), CB_SETCURSEL, values[i], 0);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
  return VelmoraProcess::waitForGone(dialog) && app.waitForTitle(kTimeOfDayTitle, 2000) ? target : 0;
}

long long endUtc(const VelmoraProcess& app) { return _wtoi64(app.iniString(L"ALARM_TIME", L"END_UTC", L"0").c_str()); }

struct ClockCase {
  const char* what;
  bool timeOfDay;  // otherwise an interval from the command line
  int seconds;     // from the start to the end
  long long wallMoveMs, tickMoveMs;  // 1.5 s after the start
};

TEST(ClockE2E, TimersEndAtTheRightMomentWhenTheClocksMove) {
  ASSERT_TRUE(e2e::moveClocks(0, 0)) << "not in a session of scripts/clock-test.sh";
  const ClockCase cases[] = {
      {"time-of-day, clock set past the chosen time", true, 60, 60000, 0},
      {"time-of-day, clock set back 10 s", true, 4, -10000, 0},
      {"interval, clock set an hour forward", false, 5, 3600000, 0},
      {"interval, clock set an hour back", false, 5, -3600000, 0},
      {"interval, the PC slept for two minutes", false, 60, 120000, 120000},
  };
  for (const ClockCase& c : cases) {
    SCOPED_TRACE(c.what);
    VelmoraProcess app;
    ASSERT_TRUE(app.writeSettings(kQuiet));
    const wchar_t* running = c.timeOfDay ? kTimeOfDayTitle : kIntervalTitle;
    ASSERT_TRUE(app.start(c.timeOfDay ? L"" : std::to_wstring(c.seconds))) << app.lastError();
    long long wallEnd = 0, tickEnd = 0;
    if (c.timeOfDay) {
      ASSERT_NE(wallEnd = startTimeOfDay(app, c.seconds), 0) << app.title();
    } else {
      ASSERT_TRUE(app.waitForTitle(kIntervalTitle, 2000)) << app.title();
      tickEnd = tick() + c.seconds * 1000LL;
    }
    ASSERT_TRUE(e2e::waitFor([&] { return endUtc(app) != 0; }, 2000));
    const long long savedEnd = endUtc(app);
    Sleep(1500);  // the count-down runs for a while before the clocks move
    const long long wallBefore = e2e::nowMs(), tickBefore = tick();
    ASSERT_TRUE(e2e::moveClocks(c.wallMoveMs, c.tickMoveMs));
    // Counted from the move: a time-of-day end follows the wall clock, any other the ticks.
    const long long expected =
        c.timeOfDay ? wallEnd - wallBefore - c.wallMoveMs : tickEnd - tickBefore - c.tickMoveMs;
    const long long seen = endSeen(app, running, (expected > 0 ? expected : 0) + 3000);
    ASSERT_NE(seen, 0) << "no end; expected after " << expected << " ms";
    const long long after = seen - tickBefore - c.tickMoveMs;
    std::printf("[ measured ] %s: end %lld ms after the move, expected %lld\n", c.what, after, expected);
    if (expected <= 0) {
      EXPECT_LE(after, 1100);  // the next wake-up sees the passed end
    } else {
      EXPECT_NEAR((double)after, (double)expected, 300.0);
    }
    // An interval keeps its end when the wall clock moves, and so its calendar end moves.
    if (!c.timeOfDay && c.wallMoveMs != c.tickMoveMs) {
      EXPECT_NEAR((double)(endUtc(app) - savedEnd), (double)c.wallMoveMs, 1500.0);
    }
    EXPECT_TRUE(app.close());
  }
}

TEST(ClockE2E, CountdownStartedAMinuteBeforeTheTickCountWrapsEndsOnTime) {
  const long long wrap = 0x100000000LL;
  ASSERT_TRUE(e2e::moveClocks(0, wrap - 60000 - tick())) << "not in a session of scripts/clock-test.sh";
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(kQuiet));
  ASSERT_TRUE(app.start(L"62")) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kIntervalTitle, 2000)) << app.title();
  const long long started = tick();
  const long long seen = endSeen(app, kIntervalTitle, 65000);
  ASSERT_NE(seen, 0);
  std::printf("[ measured ] started %lld ms before the wrap, ended %lld ms after the start\n", wrap - started,
              seen - started);
  EXPECT_GT(seen, wrap);
  EXPECT_NEAR((double)(seen - started), 62000.0, 300.0);
  EXPECT_TRUE(app.close());
}

}  // namespace
