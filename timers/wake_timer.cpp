#include "timers/wake_timer.h"

PowerCalls powerCalls = {SetWaitableTimer, CancelWaitableTimer, WaitForSingleObject, SetThreadExecutionState};

namespace {

constexpr int64_t kFileTimeEpochMs = 11644473600000LL;  // 1601 to 1970
constexpr int64_t kFileTimeUnitsPerMs = 10000;

// An auto-reset timer that nobody waits on: once it goes off it stays signalled until
// wakeTimerWentOff takes that, or it is set again.
HANDLE wakeTimer() {
  static const HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
  return timer;
}

}  // namespace

uint64_t wakeAfterMs(uint64_t leftMs) {
  if (leftMs > kWakeLeadMs) return leftMs - kWakeLeadMs;
  return leftMs > 0 ? leftMs : 1;
}

int64_t wakeDueTime(bool wallClockEnd, uint64_t leftMs, int64_t endUtcMs, int64_t nowUtcMs) {
  if (!wallClockEnd) return -(int64_t)wakeAfterMs(leftMs) * kFileTimeUnitsPerMs;
  const uint64_t left = endUtcMs > nowUtcMs ? (uint64_t)(endUtcMs - nowUtcMs) : 0;
  return (nowUtcMs + (int64_t)wakeAfterMs(left) + kFileTimeEpochMs) * kFileTimeUnitsPerMs;
}

bool setWakeTimer(int64_t due) {
  const HANDLE timer = wakeTimer();
  if (!timer) return false;
  LARGE_INTEGER when;
  when.QuadPart = due;
  // fResume: the timer may wake the PC. Where the power plan forbids wake timers, or the PC
  // cannot wake by one, Windows still times it (and may say ERROR_NOT_SUPPORTED).
  return powerCalls.setWaitableTimer(timer, &when, 0, nullptr, nullptr, TRUE) != FALSE;
}

void cancelWakeTimer() {
  const HANDLE timer = wakeTimer();
  if (!timer) return;
  powerCalls.cancelWaitableTimer(timer);
  // Cancelling leaves a timer that already went off signalled.
  powerCalls.waitForSingleObject(timer, 0);
}

bool wakeTimerWentOff() {
  const HANDLE timer = wakeTimer();
  return timer && powerCalls.waitForSingleObject(timer, 0) == WAIT_OBJECT_0;
}
