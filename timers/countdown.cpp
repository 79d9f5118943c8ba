#include "timers/countdown.h"

#include <commctrl.h>

#include <atomic>
#include <cwchar>

#include "common/click_timing.h"
#include "common/dialog_helpers.h"
#include "common/message_async.h"
#include "common/settings.h"
#include "common/threads.h"
#include "common/timer_state.h"
#include "common/window_requests.h"
#include "res/resource.h"
#include "timers/local_time.h"
#include "timers/precise_sleep.h"
#include "timers/time_of_day.h"
#include "timers/time_up.h"
#include "timers/timer_shell.h"

namespace {

// 1 while a count-down loop runs. Cleared just before targetTick, so a stopper that sees
// targetTick at 0 may start the next loop at once.
std::atomic<int> countdownLoopActive{0};

void repaint(HWND window) { InvalidateRect(followMainWindow(window), nullptr, FALSE); }

// Set when the clock or the zone changes, the PC wakes up or a pause is asked for or taken back;
// the count-down's sleeps wait on it.
HANDLE countdownWakeEvent() {
  static const HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  return event;
}

// Sleeps ms, or less when the count-down is woken meanwhile; true when the whole time passed.
bool sleepUnlessWoken(DWORD ms) {
  const HANDLE event = countdownWakeEvent();
  if (!event) {
    Sleep(ms);
    return true;
  }
  return WaitForSingleObject(event, ms) == WAIT_TIMEOUT;
}

// The end tick of the running count-down at this wake-up. A time-of-day end follows the wall
// clock and the time zone; another end stays, and when the clock was set its calendar end in ALARM_TIME is
// written again, so that a restart resumes it at the right moment.
uint64_t endAtWakeUp(HWND window, uint64_t target, uint64_t now) {
  const int64_t nowUtc = calendarNowMs();
  const int64_t endUtc = timerKind == TIMER_KIND_TIME_OF_DAY ? followTimeZone() : targetUtcMs.load();
  if (endUtc == 0) return target;
  if (timerKind == TIMER_KIND_TIME_OF_DAY) {
    const uint64_t moved = wallClockEndTick(endUtc, nowUtc, now);
    if (moved != target) targetTick = moved;
    return moved;
  }
  if (target > now && calendarEndMoved(endUtc, nowUtc, target - now)) {
    SYSTEMTIME end = targetTime;
    if (calendarEnd(nowUtc, (int64_t)(target - now), end)) {
      targetUtcMs = nowUtc + (int64_t)(target - now);
      targetTime = end;
      saveTargetTime(window);
    }
  }
  return target;
}

// The count-down parks with `left` ms to go: the read-out keeps it, ALARM_TIME records the pause
// (RESUME stays 1, so a restart brings the run back paused), and the looks say paused.
void enterPause(HWND window, uint32_t left) {
  remainingMs = left;
  pausedLeftMs = left;
  paused = 1;
  saveTargetTime(window);
  showPausedLook(window);
  repaint(window);
}

// Parked until the pause is taken back (true) or the run is stopped (false).
bool waitWhilePaused() {
  while (pauseWanted && !stopWanted()) sleepUnlessWoken(200);
  return !stopWanted();
}

// Continuing: the time left counts down from a fresh reading, and the calendar end is new.
void leavePause(HWND window) {
  const uint32_t left = pausedLeftMs;
  const uint64_t now = GetTickCount64();
  const int64_t nowUtc = calendarNowMs();
  lastTick = now;
  SYSTEMTIME end = targetTime;
  calendarEnd(nowUtc, left, end);
  targetTime = end;
  targetUtcMs = nowUtc + left;
  targetTick = now + left;
  paused = 0;
  saveTargetTime(window);
  showRunningLook(window);
}

void confirm(HWND window, const wchar_t* text, bool async) {
  if (timerShell.balloon(window, text, L"確認")) return;
  if (async)
    showMessageAsync(window, text, L"Velmora", MB_OK);
  else
    MessageBoxW(window, text, L"Velmora", MB_OK);
}

void reportThreadFailure(HWND window) {
  MessageBoxW(window, failureNoticeText(NOTICE_THREAD), L"Velmora", MB_ICONERROR);
}

const wchar_t kReplaceQuestion[] = L"タイマーが作動中ですがいいですか？";
const wchar_t kReplaceAnotherQuestion[] = L"別のタイマーが作動し始めました。\nそのタイマーも終了していいですか？";

// Until the run numbered serial is over (also when another one has started since).
void waitForRunEnd(uint32_t serial) {
  while (runActive != 0 && runSerial == serial) Sleep(100);
}

void startOrStop(HWND window, bool startOnThisThread) {
  if (runActive == 0) {
    repeatCount = 0;
    if (startOnThisThread)
      intervalStartThread(window);
    else if (!startThread(intervalStartThread, window))
      reportThreadFailure(window);
  } else if (!startThread(stopConfirmThread, window)) {
    reportThreadFailure(window);
  }
}

// ---- dialog 201

void onIntervalDialogInit(HWND dialog) {
  HWND upDown = GetDlgItem(dialog, IDC_INTERVAL_HOURS_SPIN);
  SendMessageW(upDown, UDM_SETRANGE32, 0, 1193);
  SendMessageW(upDown, UDM_SETPOS32, 0, 0);
  const int lists[2] = {IDC_INTERVAL_MINUTES, IDC_INTERVAL_SECONDS};
  for (int id : lists) {
    HWND list = GetDlgItem(dialog, id);
    for (int i = 0; i < 60; ++i) {
      wchar_t text[4];
      swprintf_s(text, 4, L"%d", i);
      SendMessageW(list, CB_ADDSTRING, 0, (LPARAM)text);
    }
    SendMessageW(list, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)L"0");
  }
}

int selectedListNumber(HWND dialog, int id) {
  HWND list = GetDlgItem(dialog, id);
  LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
  wchar_t text[16] = L"";
  if (index != CB_ERR && SendMessageW(list, CB_GETLBTEXTLEN, index, 0) < 16)
    SendMessageW(list, CB_GETLBTEXT, index, (LPARAM)text);
  int value = _wtoi(text);
  return value < 0 ? 0 : value > 59 ? 59 : value;
}

void onIntervalDialogOk(HWND dialog) {
  DWORD answer = (DWORD)SendDlgItemMessageW(dialog, IDC_INTERVAL_HOURS_SPIN, UDM_GETPOS, 0, 0);
  // Windows reports an empty buddy as an error in the high half; Wine answers 0. Both mean
  // "no valid number typed", which gives the largest value.
  if (GetWindowTextLengthW(GetDlgItem(dialog, IDC_INTERVAL_HOURS)) == 0) answer |= 0x10000;
  intervalHours = clampDialogHours(answer);
  intervalMinutes = selectedListNumber(dialog, IDC_INTERVAL_MINUTES);
  intervalSeconds = selectedListNumber(dialog, IDC_INTERVAL_SECONDS);
  EndDialog(dialog, 1);
}

}  // namespace

bool claimRun(HWND window) {
  int idle = 0;
  if (!runActive.compare_exchange_strong(idle, 1)) return false;
  runSerial += 1;
  timerShell.runStarting(window);
  pauseWanted = 0;
  paused = 0;
  return true;
}

bool claimRunReplacing(HWND window) {
  const wchar_t* question = kReplaceQuestion;
  while (!claimRun(window)) {
    const uint32_t asked = runSerial;
    if (MessageBoxW(window, question, L"Velmora", MB_ICONQUESTION | MB_YESNO) != IDYES) return false;
    // A run that started while the box was up was never asked about: it is not stopped.
    if (runSerial == asked) {
      stopRequested = asked;
      waitForRunEnd(asked);
    }
    question = kReplaceAnotherQuestion;
  }
  return true;
}

void endRun() {
  saveResumeFlag(0);
  runActive = 0;
}

bool stopWanted() { return stopRequested == runSerial; }

bool takeStopRequest() {
  uint32_t mine = runSerial;
  return stopRequested.compare_exchange_strong(mine, 0);
}

bool claimTargetTick(uint64_t target) {
  uint64_t idle = 0;
  return targetTick.compare_exchange_strong(idle, target);
}

void wakeCountdown() {
  if (const HANDLE event = countdownWakeEvent()) SetEvent(event);
}

void onClockChanged() {
  rereadTimeZone();
  wakeCountdown();
}

void pauseToggleFromWindow() {
  if (runActive == 0 || !kindCanPause(timerKind)) return;
  pauseWanted ^= 1;
  wakeCountdown();
}

CountdownSleep countdownSleep(uint32_t remaining) {
  if (remaining / 1000 == 0) return {remaining, true};
  return {remaining % 1000 + 50, false};
}

bool countdownRepaint(uint32_t remaining, bool showSeconds, int& lastMinute) {
  int minute = (int)(remaining / 60000);
  if (minute == 0 || showSeconds) return true;
  if (minute == lastMinute) return false;
  lastMinute = minute;
  return true;
}

bool countdownEnded(uint64_t target, uint64_t now) { return target <= now; }

uint64_t wallClockEndTick(int64_t endUtcMs, int64_t nowUtcMs, uint64_t nowTick) {
  return endUtcMs <= nowUtcMs ? nowTick : nowTick + (uint64_t)(endUtcMs - nowUtcMs);
}

bool calendarEndMoved(int64_t storedEndUtcMs, int64_t nowUtcMs, uint64_t remaining) {
  const int64_t apart = nowUtcMs + (int64_t)remaining - storedEndUtcMs;
  return apart > 1000 || apart < -1000;
}

bool countdownFits(double durationMs) { return durationMs <= 4294967295.0; }

uint32_t remainingForDisplay(uint64_t target, uint64_t now) {
  const uint64_t left = target > now ? target - now : 0;
  return left > 0xFFFFFFFFull ? 0xFFFFFFFFu : (uint32_t)left;
}

bool calendarEnd(int64_t startMs, int64_t durationMs, SYSTEMTIME& end) {
  const int64_t endMs = startMs + durationMs;
  const int64_t seconds = endMs >= 0 ? endMs / 1000 : -((999 - endMs) / 1000);
  const SYSTEMTIME local = localTimeOfSeconds(seconds);
  if (local.wYear == 0) return false;
  const WORD dayOfWeek = end.wDayOfWeek;
  end = local;
  end.wDayOfWeek = dayOfWeek;
  end.wMilliseconds = (WORD)(endMs - seconds * 1000);
  return true;
}

int clampDialogHours(DWORD answer) { return answer > 1193 ? 1193 : (int)answer; }

namespace {

// The interval start of a new run, or of a repeat in the run handed on by a time-up. A
// repeat that cannot start ends the run.
DWORD startInterval(HWND window, bool repeat) {
  const int hours = intervalHours, minutes = intervalMinutes, seconds = intervalSeconds;
  const double duration = intervalDurationMs(hours, minutes, seconds);
  if (duration == 0) {
    if (repeat) endRun();
    repaint(window);
    return 0;
  }
  const uint64_t now = GetTickCount64();
  lastTick = now;
  const int64_t startMs = calendarNowMs();
  if (!countdownFits(duration)) {
    if (repeat) endRun();
    repaint(window);
    MessageBoxW(window, L"設定できる時間の範囲を超えています", L"Velmora", MB_OK);
    return 0;
  }
  if (repeat ? takeStopRequest() : !claimRun(window)) {  // stopped meanwhile, or another start has the run
    if (repeat) endRun();
    repaint(window);
    return 0;
  }
  if (!claimTargetTick(now + (uint64_t)duration)) {
    endRun();
    return 0;
  }

  SYSTEMTIME end{};
  GetLocalTime(&end);
  const int64_t durationMs = (hours * 3600LL + minutes * 60LL + seconds) * 1000;
  calendarEnd(startMs, durationMs, end);
  if (!startCountdown(window, TIMER_KIND_INTERVAL, end, startMs + durationMs)) return 0;
  if (repeatCount == 0 && START_SYURYO_CHECK) confirm(window, L"カウントダウンスタート", true);
  return 0;
}

}  // namespace

bool startCountdownThread(HWND window) {
  if (startThread(countdownThread, window)) return true;
  targetTick = 0;
  endRun();
  repaint(window);
  // Told by the window: a start thread that waited for a box would hold up the repeat or step.
  tellFailure(window, NOTICE_THREAD);
  return false;
}

bool startCountdown(HWND window, int kind, const SYSTEMTIME& end, int64_t endUtcMs) {
  timerKind = kind;
  targetTime = end;
  targetUtcMs = endUtcMs;
  currentTimeZoneKey(runTimeZone, 128);
  saveTargetTime(window);
  saveTimerState();
  return startCountdownThread(window);
}

DWORD WINAPI intervalStartThread(LPVOID window) { return startInterval(static_cast<HWND>(window), false); }

DWORD WINAPI intervalRepeatThread(LPVOID window) { return startInterval(static_cast<HWND>(window), true); }

DWORD WINAPI countdownThread(LPVOID parameter) {
  HWND window = static_cast<HWND>(parameter);
  // A second loop would fight the first over targetTick; the running one keeps it.
  if (countdownLoopActive.exchange(1)) return 0;

  wchar_t caption[128] = L"Velmora";
  showRunningLook(window);
  saveResumeFlag(1);
  int lastMinute = -1;
  if (paused) enterPause(window, pausedLeftMs);  // resumed paused at start-up
  while (!stopWanted()) {
    if (paused) {
      if (!waitWhilePaused()) break;
      leavePause(window);
      lastMinute = -1;
      continue;
    }
    const uint64_t now = GetTickCount64();
    lastTick = now;
    const uint64_t target = endAtWakeUp(window, targetTick, now);
    if (countdownEnded(target, now)) break;
    const uint32_t remaining = remainingForDisplay(target, now);
    if (pauseWanted && kindCanPause(timerKind)) {
      enterPause(window, remaining);
      continue;
    }
    remainingMs = remaining;
    if (countdownRepaint(remaining, SHOW_SEC != 0, lastMinute)) repaint(window);
    const CountdownSleep next = countdownSleep(remaining);
    if (next.final) {
      // Timed from a fresh reading: the repaint request above can take milliseconds. A pause
      // in this last second still takes what is left of it.
      const uint64_t late = GetTickCount64();
      if (countdownEnded(target, late) || sleepPreciselyUnless((DWORD)(target - late), countdownWakeEvent())) break;
      continue;
    }
    // A wake-up at least every 1,050 ms, and at once when the clock is set, the PC wakes or a
    // pause is asked for: the wall clock and the tick count are read again before anything else.
    if (sleepUnlessWoken(next.ms) && SECOND_SOUND) timerShell.secondTick();
  }

  // The stop is read once and taken: a stop that comes after this is for the hand-off to see.
  // After a time-up RESUME stays 1 until the handling decides that the run ends: a kill before
  // a repeat or the next step has written its own keys must still resume the run.
  const bool stopped = takeStopRequest();
  if (stopped) saveResumeFlag(0);
  showIdleLook(window);
  paused = 0;
  remainingMs = 0;
  countdownLoopActive = 0;
  targetTick = 0;
  if (stopped) {
    runActive = 0;
    return 0;
  }
  handleTimeUp(window, caption);
  return 0;
}

DWORD WINAPI stopConfirmThread(LPVOID parameter) {
  HWND window = static_cast<HWND>(parameter);
  uint32_t asked = 0;
  do {  // a run that ended while the box was up is over; a later one is asked about anew
    if (runActive == 0) return 0;
    asked = runSerial;
    if (MessageBoxW(window, L"タイマーを終了しますか？", L"Velmora", MB_ICONQUESTION | MB_YESNO) != IDYES) return 0;
  } while (runSerial != asked);
  // The run asked about, by its number: one that started since is not stopped.
  stopRequested = asked;
  waitForRunEnd(asked);
  if (START_SYURYO_CHECK) confirm(window, L"タイマーを終了しました", false);
  repaint(window);
  return 0;
}

void startStopToggleFromWindow(HWND window) { startOrStop(window, false); }

void startStopToggleFromClick(ClickTimingRecord* record) { startOrStop(record->window, true); }

INT_PTR CALLBACK intervalDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  static const OkCancelDialog handlers = {onIntervalDialogInit, onIntervalDialogOk};
  return okCancelDialogMessage(dialog, message, wParam, handlers);
}
