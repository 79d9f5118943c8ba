// Continuing at start-up a timer that was running when the program last ended.
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>

void resumeTimer(HWND window);
// The program timer branch: the saved end has passed by -left milliseconds (left < 1).
void resumeProgramTimer(HWND window, double left);

// What resume does: give up silently, or start a count-down with these values.
struct ResumePlan {
  bool resume;
  uint32_t remainingMs;
  uint64_t targetTick;
  int repeatCount;
  int programStep;
};

// The saved calendar end on the current tick scale; nowMs (calendar milliseconds) and tick are
// read together. The saved instant savedUtcMs wins when there is one (above 0); otherwise the
// saved local time is read, as the first pass of a wall time the clock shows twice. valid is
// false when the saved date cannot be converted (a garbage year), which counts as nothing to resume.
double savedEndTick(int64_t nowMs, uint64_t tick, const SYSTEMTIME& saved, bool* valid, int64_t savedUtcMs = 0);
// An end that a count-down can time from tick: no farther ahead than the longest count-down.
bool endWithinTickRange(double end, uint64_t tick);

// The saved end passed `left` ms ago (left < 1) for an interval or time-of-day timer: catch up
// the missed repeats, or give up when the timer does not repeat.
ResumePlan planRepeatCatchUp(double left, uint64_t tick, double intervalMs, int kind, int repeatCount,
                             int programStep, bool timerLoop, bool jikokuLoop);
// The same for a program timer with these step waits (all above 0).
ResumePlan planProgramCatchUp(double left, uint64_t tick, const std::vector<uint32_t>& waits,
                              int programStep, int repeatCount, bool loop);

// A run saved paused with `left` ms to go: it comes back paused in the same repeat and step
// (stepCount: the loaded program timer's steps). Gives up for a kind that cannot pause, nothing
// left or a step that is gone.
ResumePlan planPausedResume(uint32_t left, uint64_t tick, int kind, int repeatCount, int programStep, int stepCount);

// Everything resume decides after the saved end has been put on the tick scale.
struct ResumeState {
  int kind, repeatCount, programStep;
  double intervalMs;
  bool timerLoop, jikokuLoop, programLoop;
};
ResumePlan planResume(double end, uint64_t tick, const ResumeState& state, const std::vector<uint32_t>& waits);
