#include "timers/resume.h"

#include <climits>
#include <cmath>

#include "common/settings.h"
#include "common/timer_state.h"
#include "programs/program_file.h"
#include "timers/countdown.h"
#include "timers/local_time.h"
#include "timers/time_of_day.h"

namespace {

constexpr ResumePlan kGiveUp{false, 0, 0, 0, 0};

// A count-down with `left` ms to go, if the tick counter can reach its end.
ResumePlan continueWith(double left, uint64_t tick, int repeats, int step) {
  if (left < 1.0 || left > LONGEST_COUNTDOWN_MS) return kGiveUp;
  return ResumePlan{true, (uint32_t)left, tick + (uint64_t)left, repeats, step};
}

// Passes that fit whole into the time gone by; nothing (give up) when the count would not fit
// the repeat counter, which only a garbage saved date or counter can cause.
bool wholePasses(double left, double passMs, int repeatCount, double* passes) {
  *passes = std::trunc((1.0 - left) / passMs);
  return repeatCount + *passes + 1.0 <= (double)INT_MAX;
}

}  // namespace

double savedEndTick(int64_t nowMs, uint64_t tick, const SYSTEMTIME& saved, bool* valid, int64_t savedUtcMs) {
  if (savedUtcMs > 0) {
    *valid = true;
    return (double)(savedUtcMs - nowMs) + (double)tick;
  }
  int64_t savedSeconds = localCalendarSeconds(saved);
  *valid = savedSeconds != -1;
  if (!*valid) return 0.0;
  return (double)(savedSeconds * 1000 + saved.wMilliseconds - nowMs) + (double)tick;
}

bool endWithinTickRange(double end, uint64_t tick) { return end - (double)tick <= LONGEST_COUNTDOWN_MS; }

ResumePlan planRepeatCatchUp(double left, uint64_t tick, double intervalMs, int kind, int repeatCount,
                             int programStep, bool timerLoop, bool jikokuLoop) {
  if (intervalMs < 1.0 || !timerLoop || (kind == TIMER_KIND_TIME_OF_DAY && !jikokuLoop)) return kGiveUp;
  double passes;
  if (!wholePasses(left, intervalMs, repeatCount, &passes)) return kGiveUp;
  double repeats = repeatCount + passes;
  left += passes * intervalMs;
  while (left < 1.0) {
    left += intervalMs;
    repeats += 1.0;
  }
  return continueWith(left, tick, (int)repeats, programStep);
}

ResumePlan planProgramCatchUp(double left, uint64_t tick, const std::vector<uint32_t>& waits,
                              int programStep, int repeatCount, bool loop) {
  const int n = (int)waits.size();
  if (n == 0 || programStep < 0 || programStep >= n) return kGiveUp;
  double total = 0.0;
  for (uint32_t w : waits) total += w;

  // The rest of the saved pass.
  int i = programStep + 1;
  while (i < n && left < 1.0) left += waits[i++];
  int step = i - 1;
  // A step still running but ending beyond the tick limit cannot be timed: give up rather than
  // wind the pass count backwards.
  if (left >= 1.0) return continueWith(left, tick, repeatCount, step);
  if (!loop || total < 1.0) return kGiveUp;

  double passes;
  if (!wholePasses(left, total, repeatCount, &passes)) return kGiveUp;
  double repeats = repeatCount + passes;
  left += passes * total;
  while (left < 1.0) {
    for (i = 0; left < 1.0 && i < n;) left += waits[i++];
    repeats += 1.0;
    step = i - 1;
  }
  return continueWith(left, tick, (int)repeats, step);
}

ResumePlan planResume(double end, uint64_t tick, const ResumeState& state, const std::vector<uint32_t>& waits) {
  if (!endWithinTickRange(end, tick)) return kGiveUp;
  double left = end - (double)tick;
  if (left >= 1.0) return continueWith(left, tick, state.repeatCount, state.programStep);
  if (state.kind == TIMER_KIND_PROGRAM)
    return planProgramCatchUp(left, tick, waits, state.programStep, state.repeatCount, state.programLoop);
  return planRepeatCatchUp(left, tick, state.intervalMs, state.kind, state.repeatCount, state.programStep,
                           state.timerLoop, state.jikokuLoop);
}

ResumePlan planPausedResume(uint32_t left, uint64_t tick, int kind, int repeatCount, int programStep, int stepCount) {
  if (!kindCanPause(kind) || (kind == TIMER_KIND_PROGRAM && (programStep < 0 || programStep >= stepCount)))
    return kGiveUp;
  return continueWith(left, tick, repeatCount, programStep);
}

namespace {

void giveUp() { saveResumeFlag(0); }

// The length the saved run repeats with (ALARM_TIME/REPEAT_SEC), -1 when the file has none: a
// length from the command line is in no other key.
int savedRepeatSeconds = -1;

void startResumed(HWND window, const ResumePlan& plan, int64_t nowMs, bool startPaused = false) {
  if (!plan.resume) {
    giveUp();
    return;
  }
  if (!claimRun(window)) return;  // another start holds the run: it stays as it is
  if (savedRepeatSeconds >= 0) setIntervalFromSeconds(savedRepeatSeconds);
  repeatCount = plan.repeatCount;
  programStep = plan.programStep;
  remainingMs = plan.remainingMs;
  if (startPaused) {  // the count-down parks at once with this time left
    pausedLeftMs = plan.remainingMs;
    pauseWanted = 1;
    paused = 1;
  }
  // The end the count-down times from now on, also after catching up repeats or steps.
  targetUtcMs = nowMs + plan.remainingMs;
  targetTick = plan.targetTick;
  startCountdownThread(window);
}

// The waits of the loaded program timer, up to its terminating record.
std::vector<uint32_t> loadedProgramWaits() {
  std::vector<uint32_t> waits;
  const int n = programStepCount(programSteps);
  waits.reserve(n);
  for (int i = 0; i < n; ++i) waits.push_back(programSteps[i].waitMs);
  return waits;
}

ResumeState currentState() {
  const double intervalMs = savedRepeatSeconds >= 0
                               ? savedRepeatSeconds * 1000.0
                               : intervalDurationMs(intervalHours, intervalMinutes, intervalSeconds);
  return ResumeState{timerKind, repeatCount, programStep, intervalMs,
                     TIMER_LOOP != 0, JIKOKU_LOOP != 0, PROGRAM_TIMER_LOOP != 0};
}

}  // namespace

void resumeTimer(HWND window) {
  if (readResumeFlag() == 0) return;
  savedRepeatSeconds = readSavedRepeatSeconds();
  rereadTimeZone();
  lastTick = GetTickCount64();
  const int64_t now = calendarNowMs();
  const uint64_t tick = lastTick;
  if (pausedLeftMs != 0) {
    if (timerKind == TIMER_KIND_PROGRAM) loadProgramSteps(&programSteps);
    startResumed(window, planPausedResume(pausedLeftMs, tick, timerKind, repeatCount, programStep,
                                          programStepCount(programSteps)), now, true);
    return;
  }
  // Started in another zone, a time-of-day end is its local time here.
  if (timerKind == TIMER_KIND_TIME_OF_DAY) followTimeZone();
  bool valid = false;
  double end = savedEndTick(now, tick, targetTime, &valid, targetUtcMs);
  if (!valid || !endWithinTickRange(end, tick)) {
    giveUp();
    return;
  }
  if (timerKind == TIMER_KIND_PROGRAM) loadProgramSteps(&programSteps);
  double left = end - (double)tick;
  if (left < 1.0 && timerKind == TIMER_KIND_PROGRAM) {
    resumeProgramTimer(window, left);
    return;
  }
  startResumed(window, planResume(end, tick, currentState(), {}), now);
}

void resumeProgramTimer(HWND window, double left) {
  const int64_t now = calendarNowMs();
  startResumed(window, planProgramCatchUp(left, lastTick, loadedProgramWaits(), programStep, repeatCount,
                                          PROGRAM_TIMER_LOOP != 0), now);
}
