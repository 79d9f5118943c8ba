// The interval timer driven through the real program: start, count-down, stop with
// confirmation, time-up notices and repeats, the keys on disk, the command line, and one
// count-down at a time however fast the user presses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "velmora_harness.h"

using e2e::VelmoraProcess;

namespace {

const wchar_t kRunning[] = L"間隔指定タイマー作動中 - Velmora";
const wchar_t kStartNotice[] = L"カウントダウンスタート";
const wchar_t kTimeUp[] = L"時間になりました";
const wchar_t kStopQuestion[] = L"タイマーを終了しますか？";
const wchar_t kStopped[] = L"タイマーを終了しました";

std::wstring settings(const std::wstring& options, int seconds) {
  return L"[OPTION_SETTING]\r\nALWAYS_TRAY=0\r\n" + options + L"[TIMER_SETTING]\r\nHOUR=0\r\nMIN=0\r\nSEC=" +
         std::to_wstring(seconds) + L"\r\n";
}

std::vector<HWND> boxesWithText(const VelmoraProcess& app, const std::wstring& text) {
  std::vector<HWND> out;
  for (HWND box : app.dialogs())
    if (VelmoraProcess::messageBoxText(box) == text) out.push_back(box);
  return out;
}

// Local time as a count of seconds, for comparing calendar ends.
long long secondsOf(const SYSTEMTIME& t) {
  FILETIME f;
  SystemTimeToFileTime(&t, &f);
  return (long long)((ULARGE_INTEGER{{f.dwLowDateTime, f.dwHighDateTime}}).QuadPart / 10000000ULL);
}

SYSTEMTIME storedEnd(const VelmoraProcess& app) {
  SYSTEMTIME t{};
  t.wYear = WORD(app.iniInt(L"ALARM_TIME", L"YEAR"));
  t.wMonth = WORD(app.iniInt(L"ALARM_TIME", L"MONTH"));
  t.wDay = WORD(app.iniInt(L"ALARM_TIME", L"DAY"));
  t.wHour = WORD(app.iniInt(L"ALARM_TIME", L"HOUR"));
  t.wMinute = WORD(app.iniInt(L"ALARM_TIME", L"MINUTE"));
  t.wSecond = WORD(app.iniInt(L"ALARM_TIME", L"SECOND"));
  return t;
}

long long localNowSeconds() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return secondsOf(now);
}

TEST(IntervalE2E, StartCountsDownAndAConfirmedStopEndsWithoutTimeUp) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(settings(L"", 3)));
  ASSERT_TRUE(app.start()) << app.lastError();

  long long before = localNowSeconds();
  app.key(VK_F5);
  HWND notice = app.waitForMessageBox(kStartNotice);
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(VelmoraProcess::caption(notice), L"Velmora");
  EXPECT_TRUE(app.waitForTitle(kRunning)) << "title: " << app.title();
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniString(L"TIMER", L"RESUME") == L"1"; }, 2000));
  EXPECT_EQ(app.iniString(L"TIMER", L"TYPE"), L"1");
  EXPECT_EQ(app.iniString(L"TIMER", L"LOOP_CNT"), L"0");
  EXPECT_EQ(app.iniString(L"PROGRAM_TIMER", L"STEP"), L"0");
  EXPECT_TRUE(app.iniHasKey(L"ALARM_TIME", L"MILLISECOND"));
  long long end = secondsOf(storedEnd(app));
  EXPECT_GE(end, before + 2);
  EXPECT_LE(end, before + 4);
  VelmoraProcess::pressButton(notice, IDOK);

  // The read-out changes as the seconds go by.
  e2e::Capture first = app.capture();
  e2e::saveShot(first, L"countdown.bmp");
  Sleep(1100);
  e2e::Capture second = app.capture();
  ASSERT_FALSE(first.empty());
  EXPECT_NE(first.pixels, second.pixels) << "the read-out did not count down";

  app.key(VK_F5);
  HWND question = app.waitForMessageBox(kStopQuestion);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(VelmoraProcess::caption(question), L"Velmora");
  VelmoraProcess::pressButton(question, IDYES);
  HWND stopped = app.waitForMessageBox(kStopped, 3000);
  ASSERT_NE(stopped, nullptr);
  EXPECT_EQ(app.title(), L"Velmora");
  EXPECT_EQ(app.iniString(L"TIMER", L"RESUME"), L"0");
  VelmoraProcess::pressButton(stopped, IDOK);

  Sleep(2500);  // past the end the timer would have had
  EXPECT_EQ(app.findMessageBox(kTimeUp), nullptr) << "a stopped timer ran its time-up handling";
  EXPECT_TRUE(app.close()) << app.lastError();
}

TEST(IntervalE2E, AnsweringNoToTheStopQuestionLetsTheTimerEnd) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(settings(L"", 2)));
  ASSERT_TRUE(app.start()) << app.lastError();
  app.command(1);
  ASSERT_NE(app.waitForMessageBox(kStartNotice), nullptr);
  app.command(1);
  HWND question = app.waitForMessageBox(kStopQuestion);
  ASSERT_NE(question, nullptr);
  VelmoraProcess::pressButton(question, IDNO);
  HWND timeUp = app.waitForMessageBox(kTimeUp, 4000);
  ASSERT_NE(timeUp, nullptr);
  EXPECT_EQ(VelmoraProcess::caption(timeUp), L"Velmora");
  EXPECT_EQ(app.title(), L"Velmora");
  EXPECT_EQ(app.iniString(L"TIMER", L"RESUME"), L"0");
  EXPECT_EQ(app.findMessageBox(kStopped), nullptr);
  EXPECT_TRUE(app.close()) << app.lastError();
}

TEST(IntervalE2E, RepeatSeriesNumbersItsNoticesAndShowsOneStartNotice) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(settings(L"TIMER_LOOP=1\r\n", 1)));
  ASSERT_TRUE(app.start()) << app.lastError();
  app.key(VK_F5);

  const std::wstring captions[] = {L"Velmora", L"繰り返し 2 回目 - Velmora", L"繰り返し 3 回目 - Velmora"};
  ASSERT_TRUE(e2e::waitFor([&] { return boxesWithText(app, kTimeUp).size() >= 3; }, 6000))
      << boxesWithText(app, kTimeUp).size() << " notices";
  std::vector<std::wstring> seen;
  for (HWND box : boxesWithText(app, kTimeUp)) seen.push_back(VelmoraProcess::caption(box));
  for (const std::wstring& caption : captions)
    EXPECT_NE(std::find(seen.begin(), seen.end(), caption), seen.end()) << "missing notice caption";
  EXPECT_EQ(boxesWithText(app, kStartNotice).size(), 1u);
  // The open notices hold nothing up: the series runs on, counting on disk.
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"LOOP_CNT") >= 3; }, 2000));

  app.key(VK_F5);
  HWND question = app.waitForMessageBox(kStopQuestion);
  ASSERT_NE(question, nullptr);
  VelmoraProcess::pressButton(question, IDYES);
  ASSERT_NE(app.waitForMessageBox(kStopped, 3000), nullptr);
  EXPECT_EQ(app.iniString(L"TIMER", L"RESUME"), L"0");
  size_t notices = boxesWithText(app, kTimeUp).size();
  Sleep(1500);
  EXPECT_EQ(boxesWithText(app, kTimeUp).size(), notices) << "the series went on after the stop";

  // A new user start is a new run: its notice is shown again and the count starts over.
  for (HWND box : app.dialogs()) VelmoraProcess::pressButton(box, IDOK);
  app.key(VK_F5);
  EXPECT_NE(app.waitForMessageBox(kStartNotice), nullptr);
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniString(L"TIMER", L"LOOP_CNT") == L"0"; }, 2000));
  app.killHard();
}

TEST(IntervalE2E, WithoutStartAndEndNoticesTheTimerEndsSilently) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(settings(L"START_SYURYO_CHECK=0\r\n", 1)));
  ASSERT_TRUE(app.start()) << app.lastError();
  app.key(VK_F5);
  EXPECT_TRUE(app.waitForTitle(kRunning, 1000));
  EXPECT_TRUE(e2e::waitFor([&] { return app.title() == L"Velmora"; }, 3000));
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniString(L"TIMER", L"RESUME") == L"0"; }, 1000));
  Sleep(500);
  EXPECT_TRUE(app.dialogs().empty()) << app.dialogs().size() << " boxes shown";
  EXPECT_TRUE(app.close()) << app.lastError();
}

TEST(IntervalE2E, ZeroIntervalStartsNothingAndShowsNothing) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(settings(L"", 0)));
  ASSERT_TRUE(app.start()) << app.lastError();
  app.key(VK_F5);
  Sleep(800);
  EXPECT_EQ(app.title(), L"Velmora");
  EXPECT_TRUE(app.dialogs().empty());
  EXPECT_FALSE(app.iniHasKey(L"TIMER", L"RESUME") && app.iniString(L"TIMER", L"RESUME") == L"1");
  EXPECT_TRUE(app.close()) << app.lastError();
}

TEST(IntervalE2E, CommandLineCountDownStartsAtOnceOrIsRefused) {
  enum Outcome { Starts, BeyondTheLongestCountDown, NotALength };
  struct Case {
    const wchar_t* argument;
    Outcome outcome;
  } cases[] = {{L"1h", Starts}, {L"4300000", BeyondTheLongestCountDown}, {L"3600abc", NotALength}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "argument " << std::string(c.argument, c.argument + wcslen(c.argument)));
    VelmoraProcess app;
    ASSERT_TRUE(app.writeSettings(settings(L"", 5)));
    long long before = localNowSeconds();
    ASSERT_TRUE(app.start(c.argument)) << app.lastError();
    if (c.outcome == Starts) {
      EXPECT_NE(app.waitForMessageBox(kStartNotice), nullptr);
      EXPECT_TRUE(app.waitForTitle(kRunning));
      long long end = secondsOf(storedEnd(app));
      EXPECT_GE(end, before + 3599);
      EXPECT_LE(end, before + 3602);
    } else {
      // 4,300,000 s is 1194:26:40; capped to 1193:26:40, still past the longest count-down
      // (4,294,967,295 ms).
      HWND box = app.waitForMessageBox(c.outcome == NotALength ? refusedArgumentMessage(c.argument)
                                                               : L"設定できる時間の範囲を超えています");
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(VelmoraProcess::caption(box), L"Velmora");
      VelmoraProcess::pressButton(box, IDOK);
      ASSERT_TRUE(VelmoraProcess::waitForGone(box));
      EXPECT_EQ(app.title(), L"Velmora");
      EXPECT_EQ(app.findMessageBox(kStartNotice), nullptr);
    }
    // The argument is not a new setting.
    EXPECT_EQ(app.iniString(L"TIMER_SETTING", L"SEC"), L"5");
    EXPECT_EQ(app.iniString(L"TIMER_SETTING", L"HOUR"), L"0");
    app.killHard();
  }
}

TEST(IntervalE2E, HammeredStartKeysAndMiddleClicksRunOneCountDown) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(settings(L"", 2)));
  ASSERT_TRUE(app.start()) << app.lastError();
  for (int i = 0; i < 12; ++i) {
    app.key(VK_F5);
    app.post(WM_MBUTTONUP, 0, MAKELPARAM(20, 20));
  }
  // Every later press found the timer running and asked to stop it: say no to each.
  DWORD start = GetTickCount();
  size_t timeUps = 0;
  while (GetTickCount() - start < 4500) {
    for (HWND box : boxesWithText(app, kStopQuestion)) VelmoraProcess::pressButton(box, IDNO);
    timeUps = boxesWithText(app, kTimeUp).size();
    Sleep(30);
  }
  EXPECT_EQ(boxesWithText(app, kStartNotice).size(), 1u);
  EXPECT_EQ(timeUps, 1u);
  EXPECT_EQ(app.title(), L"Velmora");
  app.killHard();
}

TEST(IntervalE2E, IntervalDialogSetsTheIntervalOnDiskAndTogglesAreSaved) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(settings(L"", 5)));
  ASSERT_TRUE(app.start()) << app.lastError();
  app.key(VK_F6);
  HWND dialog = app.waitForDialog(L"タイマーのセット");
  ASSERT_NE(dialog, nullptr);
  e2e::saveDialogShot(dialog, L"dialog201.bmp");
  SendMessageW(GetDlgItem(dialog, 1001), WM_SETTEXT, 0, (LPARAM)L"2");
  SendMessageW(GetDlgItem(dialog, 1003), CB_SETCURSEL, 3, 0);
  SendMessageW(GetDlgItem(dialog, 1004), CB_SETCURSEL, 4, 0);
  VelmoraProcess::pressButton(dialog, IDOK);
  ASSERT_TRUE(VelmoraProcess::waitForGone(dialog));
  // HOUR, MIN and SEC are written one after another: wait for the last of them.
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniString(L"TIMER_SETTING", L"SEC") == L"4"; }, 2000));
  EXPECT_EQ(app.iniString(L"TIMER_SETTING", L"HOUR"), L"2");
  EXPECT_EQ(app.iniString(L"TIMER_SETTING", L"MIN"), L"3");
  EXPECT_EQ(app.title(), L"Velmora") << "setting the interval started a timer";

  app.command(3);   // 繰り返す
  app.command(24);  // 毎秒音
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniString(L"OPTION_SETTING", L"TIMER_LOOP") == L"1"; }, 2000));
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniString(L"OPTION_SETTING", L"SECOND_SOUND") == L"1"; }, 2000));
  EXPECT_TRUE(app.close()) << app.lastError();
}

}  // namespace
