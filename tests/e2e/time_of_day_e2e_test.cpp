// The time-of-day timer end to end: dialog 202 driven across processes, the end on the whole
// second of the chosen time (measured), the past refusal and the replace question.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "velmora_harness.h"

using e2e::VelmoraProcess;
using e2e::localMs;
using e2e::nowMs;
using e2e::localAt;
using e2e::whenTitleLeaves;

namespace {

const wchar_t kDialog[] = L"時刻指定のタイマーのセット";
const wchar_t kTimeOfDayTitle[] = L"時刻指定タイマー作動中 - Velmora";
const wchar_t kIntervalTitle[] = L"間隔指定タイマー作動中 - Velmora";
const wchar_t kReplace[] = L"タイマーが作動中ですがいいですか？";
const wchar_t kPast[] = L"設定された時刻は過去です";
const wchar_t kQuiet[] = L"[OPTION_SETTING]\r\nSTART_SYURYO_CHECK=0\r\nALARM_PLAY=0\r\n";

// The whole second `seconds` ahead of now.
long long wholeSecondAhead(int seconds) { return (nowMs() / 1000 + seconds) * 1000; }

// Opens dialog 202 with F7, sets it to `when` (or leaves it at the current time) and presses OK.
::testing::AssertionResult chooseTime(const VelmoraProcess& app, const SYSTEMTIME* when) {
  if (!app.key(VK_F7)) return ::testing::AssertionFailure() << "F7 not posted";
  HWND dialog = app.waitForDialog(kDialog);
  if (!dialog) return ::testing::AssertionFailure() << "no dialog; title " << ::testing::PrintToString(app.title());
  if (when) {
    SendMessageW(GetDlgItem(dialog, 1005), WM_SETTEXT, 0, (LPARAM)std::to_wstring(when->wYear).c_str());
    const int ids[5] = {1007, 1008, 1009, 1010, 1011};
    const int values[5] = {when->wMonth - 1, when->wDay - 1, when->wHour, when->wMinute, when->wSecond};
    for (int i = 0; i < 5; ++i) SendMessageW(GetDlgItem(dialog, ids[i]), CB_SETCURSEL, values[i], 0);
  }
  e2e::saveDialogShot(dialog, L"dialog202.bmp");
  // OK as the button would send it; the dialog may not be shown yet, which a click needs.
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
  if (!VelmoraProcess::waitForGone(dialog))
    return ::testing::AssertionFailure() << "dialog did not close on OK";
  return ::testing::AssertionSuccess();
}

// How far the end came from the target, printed and recorded as the test's property.
long long endError(long long seen, long long target, const char* what, const char* property) {
  const long long error = seen - target;
  std::printf("[ measured ] %s %+lld ms from the chosen whole second\n", what, error);
  ::testing::Test::RecordProperty(property, std::to_string(error));
  return error;
}

TEST(TimeOfDayE2E, EndsOnTheWholeSecondOfTheChosenTime) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(kQuiet));
  ASSERT_TRUE(app.start()) << app.lastError();
  const long long target = wholeSecondAhead(4);
  const SYSTEMTIME when = localAt(target);
  ASSERT_TRUE(chooseTime(app, &when));
  ASSERT_TRUE(app.waitForTitle(kTimeOfDayTitle, 2000)) << app.title();
  EXPECT_EQ(app.iniInt(L"TIMER", L"TYPE", -1), 0);
  EXPECT_EQ(app.iniInt(L"ALARM_TIME", L"HOUR", -1), when.wHour);
  EXPECT_EQ(app.iniInt(L"ALARM_TIME", L"MINUTE", -1), when.wMinute);
  EXPECT_EQ(app.iniInt(L"ALARM_TIME", L"SECOND", -1), when.wSecond);
  EXPECT_EQ(app.iniInt(L"ALARM_TIME", L"MILLISECOND", -1), 0);

  const long long seen = whenTitleLeaves(app, kTimeOfDayTitle, 7000);
  ASSERT_NE(seen, 0) << app.title();
  const long long error = endError(seen, target, "time-of-day end", "time_of_day_end_error_ms");
  EXPECT_GE(error, -30);
  EXPECT_LE(error, 150);
  EXPECT_EQ(app.title(), L"Velmora");
  EXPECT_TRUE(app.close());
}

TEST(TimeOfDayE2E, ResumedAfterAHardKillStillEndsOnTheWholeSecond) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(kQuiet));
  ASSERT_TRUE(app.start()) << app.lastError();
  const long long target = wholeSecondAhead(6);
  const SYSTEMTIME when = localAt(target);
  ASSERT_TRUE(chooseTime(app, &when));
  ASSERT_TRUE(app.waitForTitle(kTimeOfDayTitle, 2000)) << app.title();
  ASSERT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"RESUME") == 1; }, 3000));
  Sleep(1000);
  app.killHard();
  Sleep(1000);
  ASSERT_TRUE(app.restart()) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kTimeOfDayTitle, 2000)) << app.title();
  const long long seen = whenTitleLeaves(app, kTimeOfDayTitle, 8000);
  ASSERT_NE(seen, 0) << app.title();
  const long long error = endError(seen, target, "resumed time-of-day end", "resumed_time_of_day_end_error_ms");
  EXPECT_GE(error, -30);
  EXPECT_LE(error, 150);
  EXPECT_TRUE(app.close());
}

TEST(TimeOfDayE2E, CurrentTimeIsRefusedAsPast) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(kQuiet));
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(chooseTime(app, nullptr));  // the dialog opens at the current second
  HWND box = app.waitForMessageBox(kPast);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(VelmoraProcess::caption(box), L"Velmora");
  VelmoraProcess::pressButton(box, IDOK);
  EXPECT_EQ(app.title(), L"Velmora");
  EXPECT_TRUE(app.close());
}

TEST(TimeOfDayE2E, ReplacesARunningTimerOnlyAfterYes) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(kQuiet));
  ASSERT_TRUE(app.start(L"60")) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kIntervalTitle)) << app.title();

  // No: the interval timer goes on untouched.
  SYSTEMTIME when = localAt(wholeSecondAhead(30));
  ASSERT_TRUE(chooseTime(app, &when));
  HWND box = app.waitForMessageBox(kReplace);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(VelmoraProcess::caption(box), L"Velmora");
  VelmoraProcess::pressButton(box, IDNO);
  Sleep(1500);
  EXPECT_EQ(app.title(), kIntervalTitle);
  EXPECT_EQ(app.iniInt(L"TIMER", L"TYPE", -1), 1);

  // Yes: the interval timer stops and the time-of-day timer takes over.
  when = localAt(wholeSecondAhead(30));
  ASSERT_TRUE(chooseTime(app, &when));
  box = app.waitForMessageBox(kReplace);
  ASSERT_NE(box, nullptr);
  VelmoraProcess::pressButton(box, IDYES);
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"TYPE", -1) == 0; }, 3000));
  EXPECT_TRUE(app.waitForTitle(kTimeOfDayTitle, 3000)) << app.title();
  // (The file is read while the program rewrites it; read again until it is whole.)
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"ALARM_TIME", L"SECOND", -1) == when.wSecond; }, 2000));
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"RESUME", -1) == 1; }, 2000));

  // Yes, then a past time: the running timer is stopped and nothing runs afterwards.
  ASSERT_TRUE(chooseTime(app, nullptr));
  box = app.waitForMessageBox(kReplace);
  ASSERT_NE(box, nullptr);
  VelmoraProcess::pressButton(box, IDYES);
  box = app.waitForMessageBox(kPast, 4000);
  ASSERT_NE(box, nullptr);
  VelmoraProcess::pressButton(box, IDOK);
  EXPECT_EQ(app.title(), L"Velmora");
  EXPECT_EQ(app.iniInt(L"TIMER", L"RESUME", -1), 0);
  EXPECT_TRUE(app.close());
}

}  // namespace

namespace {

// With the repeat on, a time-of-day end restarts the interval timer only when JIKOKU_LOOP
// allows it.
TEST(TimeOfDayE2E, EndWithRepeatOnRestartsTheIntervalOnlyWithTheTimeOfDayRepeat) {
  for (int timeOfDayLoop : {1, 0}) {
    SCOPED_TRACE(timeOfDayLoop);
    VelmoraProcess app;
    ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nSTART_SYURYO_CHECK=1\r\nALARM_PLAY=0\r\nTIMER_LOOP=1\r\n"
                                  L"JIKOKU_LOOP=" + std::to_wstring(timeOfDayLoop) +
                                  L"\r\n[TIMER_SETTING]\r\nHOUR=0\r\nMIN=5\r\nSEC=0\r\n"));
    ASSERT_TRUE(app.start()) << app.lastError();
    const SYSTEMTIME when = localAt(wholeSecondAhead(3));
    ASSERT_TRUE(chooseTime(app, &when));
    HWND started = app.waitForMessageBox(L"カウントダウンスタート", 3000);
    ASSERT_NE(started, nullptr);
    VelmoraProcess::pressButton(started, IDOK);
    ASSERT_TRUE(app.waitForTitle(kTimeOfDayTitle, 2000)) << app.title();
    // The notice comes after the repeat was decided (and its start thread made).
    HWND notice = app.waitForMessageBox(L"時間になりました", 6000);
    ASSERT_NE(notice, nullptr) << app.title();
    if (timeOfDayLoop) {
      EXPECT_TRUE(app.waitForTitle(kIntervalTitle, 3000)) << app.title();
      EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"TYPE", -1) == 1; }, 3000));
      EXPECT_EQ(app.iniInt(L"TIMER", L"LOOP_CNT", -1), 1);
    } else {
      EXPECT_FALSE(app.waitForTitle(kIntervalTitle, 1500)) << "the interval timer started";
      EXPECT_EQ(app.title(), L"Velmora");
      EXPECT_EQ(app.iniInt(L"TIMER", L"TYPE", -1), 0);
      EXPECT_EQ(app.iniInt(L"TIMER", L"RESUME", -1), 0);
    }
    app.killHard();
  }
}

}  // namespace
