#include "timers/keep_awake.h"

#include "common/timer_state.h"
#include "timers/local_time.h"
#include "timers/wake_timer.h"

namespace {

constexpr UINT_PTR kRunWatchTimer = 0x4B41;  // "KA"

// All window thread only.
EXECUTION_STATE held = ES_CONTINUOUS;  // what this thread asked for last
bool nearEnd = false;                  // the running end is at most kKeepAwakeBeforeEndMs away
uint64_t wakeHoldUntil = 0;            // tick until which a wake by the timer holds; 0 none
// The end the wake timer is set for, and whether it must be set again all the same.
struct WakeSet {
  bool set;
  int kind;
  uint64_t endTick;
  int64_t endUtcMs;
} wake{};
bool wakeStale = false;

bool wallClockEnd(int kind) { return kind == TIMER_KIND_TIME_OF_DAY; }

// A time-of-day end is an instant of the wall clock (it moves with the zone); any other end
// moves only when the count-down gets a new end tick.
bool wakeSetFor(const RunView& run) {
  if (!wake.set || wakeStale || wake.kind != run.kind) return false;
  return wallClockEnd(run.kind) ? wake.endUtcMs == run.endUtcMs : wake.endTick == run.endTick;
}

void followWake(const RunView& run, uint64_t nowTick, int64_t nowUtcMs) {
  if (wakeSetFor(run)) return;
  const uint64_t left = run.endTick > nowTick ? run.endTick - nowTick : 0;
  // A refusal is not shown, nor tried again each second: the run goes on without the wake.
  setWakeTimer(wakeDueTime(wallClockEnd(run.kind), left, run.endUtcMs, nowUtcMs));
  wake = WakeSet{true, run.kind, run.endTick, run.endUtcMs};
  wakeStale = false;
}

void dropWake() {
  if (!wake.set) return;
  cancelWakeTimer();
  wake.set = false;
}

void ask(EXECUTION_STATE wanted) {
  if (wanted != held && powerCalls.setThreadExecutionState(wanted)) held = wanted;
}

void follow(PowerEvent event) {
  const RunView run{runActive != 0, paused != 0, timerKind, targetTick, targetUtcMs};
  followRunAt(event, run, GetTickCount64(), calendarNowMs());
}

}  // namespace

void followRunAt(PowerEvent event, const RunView& run, uint64_t nowTick, int64_t nowUtcMs) {
  switch (event) {
    case PowerEvent::Look: break;
    case PowerEvent::ClockSet: wakeStale = true; break;
    case PowerEvent::Resumed:
      // Asked before the timer is set again, which would forget that it went off.
      if (wakeTimerWentOff()) wakeHoldUntil = nowTick + kWakeHoldMs;
      // A relative due time is timed again from the tick count, which went on during the sleep.
      wakeStale = true;
      break;
    case PowerEvent::NoticeClosed: wakeHoldUntil = 0; break;
  }
  if (wakeHoldUntil != 0 && nowTick >= wakeHoldUntil) wakeHoldUntil = 0;
  if (!run.active || run.paused) {
    dropWake();
    nearEnd = false;
  } else if (run.endTick != 0) {  // between two count-downs of a run, both stay as they are
    followWake(run, nowTick, nowUtcMs);
    nearEnd = run.endTick <= nowTick + kKeepAwakeBeforeEndMs;
  }
  EXECUTION_STATE wanted = ES_CONTINUOUS;
  if (nearEnd) wanted |= ES_SYSTEM_REQUIRED;
  if (wakeHoldUntil != 0) wanted |= ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED;
  ask(wanted);
}

void followRun() { follow(PowerEvent::Look); }

void keepAwakeWhileRunning(HWND window) {
  SetTimer(window, kRunWatchTimer, 1000, nullptr);
  followRun();
}

bool onKeepAwakeTimer(HWND window, WPARAM timerId) {
  if (timerId != kRunWatchTimer) return false;
  followRun();
  if (runActive == 0 && wakeHoldUntil == 0) KillTimer(window, kRunWatchTimer);
  return true;
}

void wakeAgainAfterClockChange() { follow(PowerEvent::ClockSet); }

void onPowerResume(HWND window) {
  follow(PowerEvent::Resumed);
  if (wakeHoldUntil != 0) SetTimer(window, kRunWatchTimer, 1000, nullptr);  // ends the hold
}

void onNoticeClosed() { follow(PowerEvent::NoticeClosed); }

bool keepingAwake() { return (held & ES_SYSTEM_REQUIRED) != 0; }
