// The interval start and the count-down loop run for real on their threads against a hidden
// window: looks, keys on disk, the alarm request at the end, stopping, and one loop at a time.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "common/settings.h"
#include "common/timer_state.h"
#include "common/window_requests.h"
#include "display/look_icons.h"
#include "res/resource.h"
#include "shell/auto_close.h"
#include "timers/countdown.h"
#include "timers/time_of_day.h"
#include "countdown_test_support.h"
#include "dialog_driver.h"
#include "tray_test_support.h"

using namespace countdown_test;

namespace {

const wchar_t kRunningTitle[] = L"間隔指定タイマー作動中 - Velmora";

class Countdown : public ::testing::Test {
 protected:
  void SetUp() override {
    ini_ = tempPath(L"countdown-" + std::to_wstring(counter_++) + L".ini");
    DeleteFileW(ini_.c_str());
    wcscpy_s(savedIni_, settingsFilePath);
    wcscpy_s(settingsFilePath, ini_.c_str());
    saved_ = {START_SYURYO_CHECK, ALARM_PLAY, ALARM_LOOP, TIMER_LOOP, SECOND_SOUND, SHOW_SEC, AUTO_CLOSE_INDEX,
              BALLOON, intervalHours, intervalMinutes, intervalSeconds};
    START_SYURYO_CHECK = 0;
    ALARM_PLAY = 1;
    ALARM_LOOP = 0;
    TIMER_LOOP = 0;
    SECOND_SOUND = 0;
    SHOW_SEC = 1;
    AUTO_CLOSE_INDEX = 0;
    BALLOON = 0;
    setInterval(0, 0, 1);
    repeatCount = 0;
    recordOnly() = true;
    ASSERT_EQ(targetTick, 0u);
  }
  void TearDown() override {
    stopRequested = 1;
    pumpUntil([] { return targetTick == 0u; }, 2000);
    pump(100);
    std::atomic<int>* values[] = {&START_SYURYO_CHECK, &ALARM_PLAY, &ALARM_LOOP, &TIMER_LOOP, &SECOND_SOUND, &SHOW_SEC,
                                  &AUTO_CLOSE_INDEX, &BALLOON, &intervalHours, &intervalMinutes, &intervalSeconds};
    for (size_t i = 0; i < saved_.size(); ++i) *values[i] = saved_[i];
    wcscpy_s(settingsFilePath, savedIni_);
    DeleteFileW(ini_.c_str());
  }
  static void setInterval(int h, int m, int s) {
    intervalHours = h;
    intervalMinutes = m;
    intervalSeconds = s;
  }
  std::wstring key(const wchar_t* section, const wchar_t* name) const {
    wchar_t text[64];
    GetPrivateProfileStringW(section, name, L"<none>", text, 64, ini_.c_str());
    return text;
  }
  int alarmRequests() const { return window_.count(WM_PLAY_SOUND); }

  TestWindow window_;
  std::wstring ini_;
  wchar_t savedIni_[1024];
  std::vector<int> saved_;
  static inline int counter_ = 0;
};

TEST_F(Countdown, KeepsThePcAwakeFromTheStartUntilTheRunHasEnded) {
  intervalStartThread(window_.hwnd);
  keepAwakeWhileRunning(window_.hwnd);  // as the main window does on the running look
  EXPECT_TRUE(keepingAwake());
  // Read back by setting the same state again: the previous one is returned.
  EXPECT_EQ(SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED), DWORD(ES_CONTINUOUS | ES_SYSTEM_REQUIRED));
  ASSERT_TRUE(pumpUntil([] { return runActive == 0; }, 3000));
  EXPECT_TRUE(pumpUntil([] { return !keepingAwake(); }, 2000));
  EXPECT_EQ(SetThreadExecutionState(ES_CONTINUOUS), DWORD(ES_CONTINUOUS));
}

TEST_F(Countdown, IntervalRunShowsTheRunningLookWritesItsKeysAndAsksForTheAlarmAtZero) {
  ALARM_LOOP = 1;
  SYSTEMTIME now;
  GetLocalTime(&now);
  DWORD started = GetTickCount();
  intervalStartThread(window_.hwnd);
  ASSERT_NE(targetTick, 0u);
  EXPECT_NEAR(double(targetTick - started), 1000.0, 20.0);
  ASSERT_TRUE(pumpUntil([&] { return window_.title() == kRunningTitle; }, 1000));
  EXPECT_TRUE(pumpUntil([&] { return key(L"TIMER", L"RESUME") == L"1"; }, 500));
  EXPECT_EQ(key(L"TIMER", L"TYPE"), L"1");
  EXPECT_EQ(key(L"TIMER", L"LOOP_CNT"), L"0");
  EXPECT_EQ(key(L"ALARM_TIME", L"YEAR"), std::to_wstring(targetTime.wYear));
  EXPECT_EQ(key(L"ALARM_TIME", L"SECOND"), std::to_wstring(targetTime.wSecond));
  int ahead = (targetTime.wSecond - now.wSecond + 60) % 60;
  EXPECT_TRUE(ahead == 1 || ahead == 2) << ahead;  // one second on, if no second began meanwhile
  EXPECT_GT(remainingMs, 0u);
  EXPECT_LE(remainingMs, 1000u);
  const LookIcons running = lookIcons(GetModuleHandleW(nullptr), IDI_RUNNING);
  EXPECT_EQ((HICON)GetClassLongPtrW(window_.hwnd, GCLP_HICON), running.large);
  EXPECT_EQ((HICON)GetClassLongPtrW(window_.hwnd, GCLP_HICONSM), running.small);

  ASSERT_TRUE(pumpUntil([&] { return alarmRequests() == 1; }, 2500));
  const Posted& request = posted().front();
  EXPECT_EQ(request.wParam, (WPARAM)ALARM_FILE);
  EXPECT_EQ(request.lParam, 1);
  EXPECT_GE(request.tick - started, 990u) << "ended early";
  EXPECT_LE(request.tick - started, 1500u);
  EXPECT_EQ(targetTick, 0u);
  EXPECT_EQ(remainingMs, 0u);
  EXPECT_EQ(key(L"TIMER", L"RESUME"), L"0");
  EXPECT_TRUE(pumpUntil([&] { return window_.title() == L"Velmora"; }, 500));
}

TEST_F(Countdown, ZeroIntervalStartsNothing) {
  setInterval(0, 0, 0);
  intervalStartThread(window_.hwnd);
  EXPECT_EQ(targetTick, 0u);
  pump(300);
  EXPECT_EQ(window_.title(), L"Velmora");
  EXPECT_EQ(key(L"TIMER", L"RESUME"), L"<none>");
  EXPECT_TRUE(ownDialogs().empty());
}

TEST_F(Countdown, IntervalBeyondTheTickCounterIsRefusedWithAMessage) {
  setInterval(1193, 59, 59);
  std::atomic<bool> done{false};
  std::thread start([&] {
    intervalStartThread(window_.hwnd);
    done = true;
  });
  HWND box = waitForOwnDialog(L"Velmora");
  EXPECT_NE(box, nullptr);
  EXPECT_EQ(messageBoxText(box), L"設定できる時間の範囲を超えています");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  pumpUntil([&] { return done.load(); }, 3000);
  start.join();
  EXPECT_EQ(targetTick, 0u);
  EXPECT_EQ(key(L"TIMER", L"RESUME"), L"<none>");
}

TEST_F(Countdown, StopRequestEndsTheLoopWithoutTimeUpAlsoInTheFinalSleep) {
  struct Case {
    int seconds;
    DWORD stopAfter;
  } cases[] = {{3, 300}, {1, 200}};  // the second stops during the final sub-second sleep
  for (const Case& c : cases) {
    posted().clear();
    stopRequested = 0;
    setInterval(0, 0, c.seconds);
    DWORD started = GetTickCount();
    intervalStartThread(window_.hwnd);
    pump(c.stopAfter);
    stopRequested = 1;
    ASSERT_TRUE(pumpUntil([] { return targetTick == 0u; }, 1200));
    EXPECT_LE(GetTickCount() - started, DWORD(c.seconds * 1000 + 200));
    pump(400);
    EXPECT_EQ(alarmRequests(), 0) << c.seconds;
    EXPECT_EQ(key(L"TIMER", L"RESUME"), L"0");
    EXPECT_EQ(window_.title(), L"Velmora");
  }
}

TEST_F(Countdown, PauseInTheFinalSecondKeepsWhatIsLeftAndASecondPressTakesItBack) {
  intervalStartThread(window_.hwnd);  // 1 s: the loop is in its final sleep at once
  pauseToggleFromWindow();  // pressed twice quickly: it runs on
  pauseToggleFromWindow();
  pump(300);
  pauseToggleFromWindow();
  ASSERT_TRUE(pumpUntil([] { return paused == 1; }, 500));
  const uint32_t left = pausedLeftMs;
  EXPECT_NEAR(double(left), 650.0, 150.0);
  pump(1500);
  EXPECT_EQ(alarmRequests(), 0);
  EXPECT_EQ(remainingMs, left);
  const DWORD continued = GetTickCount();
  pauseToggleFromWindow();
  ASSERT_TRUE(pumpUntil([&] { return alarmRequests() == 1; }, 2000));
  EXPECT_NEAR(double(posted().front().tick - continued), left + 100.0, 150.0);
}

TEST_F(Countdown, RacingStartsMakeOneLoopAndOneTimeUp) {
  std::atomic<bool> go{false};
  std::vector<std::thread> starters;
  for (int i = 0; i < 12; ++i)
    starters.emplace_back([&] {
      while (!go) std::this_thread::yield();
      intervalStartThread(window_.hwnd);
    });
  go = true;
  for (std::thread& t : starters) t.join();
  // A count-down thread created while a loop runs leaves that loop alone. (Until the loop has
  // begun, the newcomer may be the one that runs it: on a busy machine the started thread can
  // come later.)
  ASSERT_TRUE(pumpUntil([] { return remainingMs != 0u; }, 3000)) << "no loop began";
  HANDLE extra = CreateThread(nullptr, 0, countdownThread, window_.hwnd, 0, nullptr);
  ASSERT_NE(extra, nullptr);
  EXPECT_TRUE(pumpUntil([&] { return WaitForSingleObject(extra, 0) == WAIT_OBJECT_0; }, 800))
      << "a second loop is running";
  CloseHandle(extra);
  EXPECT_NE(targetTick, 0u);
  EXPECT_TRUE(pumpUntil([&] { return alarmRequests() >= 1; }, 3000));
  pump(1200);  // a second loop would have ended by now
  EXPECT_EQ(alarmRequests(), 1);
  EXPECT_EQ(targetTick, 0u);
}

TEST_F(Countdown, RepeatRestartsTheIntervalAndCountsTheRepeats) {
  TIMER_LOOP = 1;
  intervalStartThread(window_.hwnd);
  ASSERT_TRUE(pumpUntil([&] { return alarmRequests() == 2; }, 3500));
  EXPECT_TRUE(pumpUntil([] { return targetTick != 0u; }, 500)) << "the third run did not start";
  EXPECT_EQ(repeatCount, 2);
  EXPECT_TRUE(pumpUntil([&] { return key(L"TIMER", L"LOOP_CNT") == L"2"; }, 500));
  DWORD gap = posted()[1].tick - posted()[0].tick;
  EXPECT_NEAR(double(gap), 1000.0, 150.0);
}

TEST_F(Countdown, WithBalloonsTheStartAndEndNoticesGoToTheTrayIcon) {
  traytest::FakeShell shell;
  traytest::FakeShell::current() = &shell;
  shellNotifyIcon = traytest::FakeShell::notify;
  const int alwaysTray = ALWAYS_TRAY;
  ALWAYS_TRAY = 1;
  BALLOON = 1;
  START_SYURYO_CHECK = 1;
  ASSERT_TRUE(addTrayIcon(window_.hwnd));
  auto balloons = [&] {
    std::vector<std::pair<std::wstring, std::wstring>> out;
    for (const auto& c : shell.calls)
      if (c.message == NIM_MODIFY && (c.data.uFlags & NIF_INFO)) out.emplace_back(c.data.szInfo, c.data.szInfoTitle);
    return out;
  };
  intervalStartThread(window_.hwnd);
  EXPECT_TRUE(pumpUntil([&] { return balloons().size() == 2; }, 4000));
  auto seen = balloons();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, L"カウントダウンスタート");
  EXPECT_EQ(seen[0].second, L"確認");
  EXPECT_EQ(seen[1].first, L"時間になりました");
  EXPECT_EQ(seen[1].second, L"Velmora");
  EXPECT_TRUE(ownDialogs().empty()) << "a message box besides the balloon";
  removeTrayIcon();
  shellNotifyIcon = Shell_NotifyIconW;
  traytest::FakeShell::current() = nullptr;
  ALWAYS_TRAY = alwaysTray;
}

TEST_F(Countdown, TheEndKeepsTimeWhileTheWindowThreadIsBlocked) {
  TIMER_LOOP = 1;
  std::vector<uint32_t> targets;
  std::atomic<bool> watching{true};
  std::thread watcher([&] {
    for (uint32_t last = 0; watching;) {
      const uint32_t t = targetTick;
      if (t != 0 && t != last) targets.push_back(last = t);
      Sleep(1);
    }
  });
  intervalStartThread(window_.hwnd);
  // This thread owns the window and takes no message across two ends of the repeating timer.
  Sleep(2600);
  watching = false;
  watcher.join();
  ASSERT_TRUE(pumpUntil([&] { return alarmRequests() >= 2; }, 2000));
  ASSERT_GE(targets.size(), 2u);
  const uint32_t firstEnd = targets[0], secondEnd = targets[1];
  std::vector<DWORD> alarms;
  for (const Posted& p : posted())
    if (p.message == WM_PLAY_SOUND) alarms.push_back(p.posted);
  // The alarm request leaves at the end, and the repeat starts (its end is one interval on).
  EXPECT_LE(alarms[0] - firstEnd, 50u);
  EXPECT_LE(secondEnd - 1000 - firstEnd, 50u);
  EXPECT_LE(alarms[1] - secondEnd, 50u);
  // The looks asked for meanwhile are applied once the window's thread is back.
  EXPECT_TRUE(pumpUntil([&] { return window_.title() == kRunningTitle; }, 1000));
}

TEST_F(Countdown, ARefusedRepeatEndsTheRunOnDisk) {
  struct Case {
    int hours, minutes, seconds;
    const wchar_t* message;  // the refusal's box, if any
  } cases[] = {{0, 0, 0, nullptr}, {1193, 59, 59, L"設定できる時間の範囲を超えています"}};
  TIMER_LOOP = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hours);
    posted().clear();
    repeatCount = 0;
    setInterval(0, 0, 1);
    intervalStartThread(window_.hwnd);
    setInterval(c.hours, c.minutes, c.seconds);  // changed while the count-down runs
    ASSERT_TRUE(pumpUntil([&] { return alarmRequests() == 1; }, 2500));
    if (c.message) {
      HWND box = waitForOwnDialog(L"Velmora");
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(messageBoxText(box), c.message);
      closeDialogs({box});
    }
    EXPECT_TRUE(pumpUntil([&] { return key(L"TIMER", L"RESUME") == L"0"; }, 2000)) << "the ended series stays marked as running";
    EXPECT_EQ(targetTick, 0u);
    EXPECT_EQ(runActive, 0);
  }
}

// A settings file whose every write takes a while (each write rewrites the whole file).
void padSettingsFile(const std::wstring& path) {
  std::wstring text = L"\xFEFF[PADDING]\r\n";
  for (int i = 0; i < 4000; ++i) text += L"KEY" + std::to_wstring(i) + L"=" + std::wstring(60, L'x') + L"\r\n";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, text.data(), DWORD(text.size() * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
}

TEST_F(Countdown, AStopJustAfterAnEndEndsTheRepeatingRunOnDisk) {
  struct Case {
    const char* what;
    DWORD stopAfterEnd;    // ms
    bool blockWindow;      // the window's thread takes no message across the end
    bool slowWrites;       // the repeat's keys take long to write
  } cases[] = {
      {"while the window's thread is busy", 200, true, false},
      {"while the repeat writes its keys", 15, false, true},
  };
  TIMER_LOOP = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    posted().clear();
    DeleteFileW(ini_.c_str());
    if (c.slowWrites) padSettingsFile(ini_);
    repeatCount = 0;
    intervalStartThread(window_.hwnd);
    const uint32_t end = targetTick;
    ASSERT_NE(end, 0u);
    ASSERT_TRUE(pumpUntil([&] { return window_.title() == kRunningTitle; }, 900));
    std::thread stopper([&] {
      while ((int)(GetTickCount() - end) < (int)c.stopAfterEnd) Sleep(1);
      stopRequested = 1;  // as the stop confirmation does on "はい"
    });
    if (c.blockWindow) Sleep(end - GetTickCount() + c.stopAfterEnd + 300);
    pumpUntil([&] { return (int)(GetTickCount() - end) > (int)c.stopAfterEnd; }, 3000);
    stopper.join();
    // The stop wins: no further end, the count-down stays stopped and RESUME says so.
    EXPECT_TRUE(pumpUntil([&] { return key(L"TIMER", L"RESUME") == L"0" && targetTick == 0u; }, 3000))
        << "RESUME " << key(L"TIMER", L"RESUME") << ", targetTick " << targetTick;
    pump(1500);
    EXPECT_EQ(targetTick, 0u);
    EXPECT_EQ(alarmRequests(), 1);
    EXPECT_EQ(key(L"TIMER", L"RESUME"), L"0");
  }
}

TEST_F(Countdown, ANewRunCancelsAPendingAutoCloseAndKeepsTheRunningLook) {
  const int exitCheck = EXIT_CHECK, grace = AUTO_CLOSE_SEC;
  AUTO_CLOSE_INDEX = 2;
  AUTO_CLOSE_SEC = 1;
  triggerAutoClose(window_.hwnd);  // as the end of the last run does
  setInterval(0, 0, 5);
  intervalStartThread(window_.hwnd);  // a start that no input to the window went before
  pump(2000);
  EXPECT_EQ(window_.title(), kRunningTitle) << "closed, or the countdown's title is shown";
  EXPECT_EQ(autoCloseThreadId, 0u);
  EXPECT_EQ(EXIT_CHECK, exitCheck);
  EXIT_CHECK = exitCheck;
  AUTO_CLOSE_SEC = grace;
}

// Two replacing starts and a stop, all asked about one run: one start gets the run once it has
// ended; the other start asks anew instead of waiting for that next run, and the stop reports
// at once.
TEST_F(Countdown, AWaiterWaitsOnlyForTheRunItAskedAbout) {
  const wchar_t kReplace[] = L"タイマーが作動中ですがいいですか？";
  const wchar_t kAnother[] = L"別のタイマーが作動し始めました。\nそのタイマーも終了していいですか？";
  setInterval(0, 0, 30);
  intervalStartThread(window_.hwnd);
  START_SYURYO_CHECK = 1;
  std::atomic<int> claimed{0}, finished{0};
  std::vector<std::thread> waiters;
  // One box at a time: each waiter asks before the next one starts.
  for (size_t i = 1; i <= 2; ++i) {
    waiters.emplace_back([&] {
      claimed += claimRunReplacing(window_.hwnd) ? 1 : 0;
      ++finished;
    });
    EXPECT_TRUE(pumpUntil([&] { return ownMessageBoxes(kReplace).size() == i; }, 10000));
  }
  waiters.emplace_back([&] {
    stopConfirmThread(window_.hwnd);
    ++finished;
  });
  EXPECT_TRUE(pumpUntil([&] { return ownMessageBoxes(L"タイマーを終了しますか？").size() == 1; }, 10000));
  for (HWND box : ownMessageBoxes(L"タイマーを終了しますか？")) PostMessageW(box, WM_COMMAND, IDYES, 0);
  EXPECT_TRUE(pumpUntil([&] { return ownMessageBoxes(L"タイマーを終了しますか？").empty(); }, 3000));
  for (HWND box : ownMessageBoxes(kReplace)) PostMessageW(box, WM_COMMAND, IDYES, 0);
  EXPECT_TRUE(pumpUntil([&] { return ownMessageBoxes(L"タイマーを終了しました").size() == 1; }, 5000));
  EXPECT_TRUE(pumpUntil([&] { return ownMessageBoxes(kAnother).size() == 1 && claimed == 1; }, 5000));
  for (HWND box : ownMessageBoxes(kAnother)) PostMessageW(box, WM_COMMAND, IDNO, 0);
  EXPECT_TRUE(pumpUntil([&] { return finished == 2; }, 3000));
  do {
    runActive = 0;  // the winner's run
    closeDialogs(ownDialogs());
  } while (!pumpUntil([&] { return finished == 3; }, 200));
  for (std::thread& t : waiters) t.join();
  runActive = 0;
  EXPECT_EQ(claimed, 1);
}

// A second time-of-day dialog while the first start waits for the answer about the running
// timer: the first start keeps the moment it was given.
TEST_F(Countdown, ATimeOfDayStartKeepsTheMomentItWasGiven) {
  const SYSTEMTIME soon = localTimeOfSeconds(calendarNowMs() / 1000 + 3600);
  const WORD chosen[6] = {soon.wYear, soon.wMonth, soon.wDay, soon.wHour, soon.wMinute, soon.wSecond};
  std::copy(chosen, chosen + 6, timeOfDaySetting);
  runActive = 1;  // a run between two of its steps
  ASSERT_TRUE(startTimeOfDayTimer(window_.hwnd));
  EXPECT_TRUE(pumpUntil([&] { return ownMessageBoxes(L"タイマーが作動中ですがいいですか？").size() == 1; }, 5000));
  const WORD past[6] = {2001, 1, 1, 0, 0, 0};
  std::copy(past, past + 6, timeOfDaySetting);
  for (HWND box : ownDialogs()) PostMessageW(box, WM_COMMAND, IDYES, 0);
  EXPECT_TRUE(pumpUntil([&] { return ownDialogs().empty(); }, 3000));
  runActive = 0;  // that run ends
  EXPECT_TRUE(pumpUntil([&] { return targetTick != 0u || !ownDialogs().empty(); }, 3000));
  const WORD got[6] = {targetTime.wYear, targetTime.wMonth, targetTime.wDay,
                       targetTime.wHour, targetTime.wMinute, targetTime.wSecond};
  EXPECT_TRUE(std::equal(got, got + 6, chosen)) << "started for " << got[0] << "-" << got[1] << "-" << got[2];
  closeDialogs(ownDialogs());
}

// Dialog 201, run for real with its template.
class IntervalDialog : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = {intervalHours, intervalMinutes, intervalSeconds}; }
  void TearDown() override {
    intervalHours = saved_[0];
    intervalMinutes = saved_[1];
    intervalSeconds = saved_[2];
  }
  INT_PTR run(const std::function<void(HWND)>& driver) {
    return dialogtest::runDialogDriven(IDD_INTERVAL, intervalDialogProc, window_.hwnd, driver);
  }
  TestWindow window_;
  std::vector<int> saved_;
};

std::wstring selectedText(HWND dialog, int id) {
  HWND list = GetDlgItem(dialog, id);
  LRESULT i = SendMessageW(list, CB_GETCURSEL, 0, 0);
  wchar_t text[16] = L"";
  if (i != CB_ERR) SendMessageW(list, CB_GETLBTEXT, i, (LPARAM)text);
  return text;
}

TEST_F(IntervalDialog, OpensAtZeroAndStoresTheClampedValuesOnOk) {
  struct Case {
    const wchar_t* hoursText;
    int minuteItem, secondItem;
    int hours, minutes, seconds;
  } cases[] = {
      {L"12", 59, 30, 12, 59, 30},
      {L"1193", 0, 0, 1193, 0, 0},
      {L"5000", 1, 2, 1193, 1, 2},  // above the range
      {L"", 0, 59, 1193, 0, 59},    // cleared field: the up-down reports an error
  };
  for (const Case& c : cases) {
    intervalHours = 5;
    intervalMinutes = 6;
    intervalSeconds = 7;
    std::wstring hours, minutes, seconds;
    LRESULT items = 0;
    INT_PTR result = run([&](HWND d) {
      if (!d) return;
      hours = textOf(GetDlgItem(d, IDC_INTERVAL_HOURS));
      minutes = selectedText(d, IDC_INTERVAL_MINUTES);
      seconds = selectedText(d, IDC_INTERVAL_SECONDS);
      items = SendDlgItemMessageW(d, IDC_INTERVAL_SECONDS, CB_GETCOUNT, 0, 0);
      SetDlgItemTextW(d, IDC_INTERVAL_HOURS, c.hoursText);
      SendDlgItemMessageW(d, IDC_INTERVAL_MINUTES, CB_SETCURSEL, c.minuteItem, 0);
      SendDlgItemMessageW(d, IDC_INTERVAL_SECONDS, CB_SETCURSEL, c.secondItem, 0);
      PostMessageW(d, WM_COMMAND, IDOK, 0);
    });
    SCOPED_TRACE(testing::Message() << "hours text " << c.hoursText);
    EXPECT_EQ(hours, L"0");
    EXPECT_EQ(minutes, L"0");
    EXPECT_EQ(seconds, L"0");
    EXPECT_EQ(items, 60);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(intervalHours, c.hours);
    EXPECT_EQ(intervalMinutes, c.minutes);
    EXPECT_EQ(intervalSeconds, c.seconds);
  }
}

TEST_F(IntervalDialog, CancelChangesNothing) {
  intervalHours = 2;
  intervalMinutes = 3;
  intervalSeconds = 4;
  INT_PTR result = run([&](HWND d) {
    if (!d) return;
    SetDlgItemTextW(d, IDC_INTERVAL_HOURS, L"9");
    PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(intervalHours, 2);
  EXPECT_EQ(intervalMinutes, 3);
  EXPECT_EQ(intervalSeconds, 4);
}

}  // namespace
