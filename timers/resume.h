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
  uint32_t targetTick;
  int repeatCount;
  int programStep;
};

// The saved calendar end (local time) on the current tick scale; nowMs (calendar milliseconds)
// and tick are read together. valid is false when the saved date cannot be converted (a garbage
// year), which counts as nothing to resume.
double savedEndTick(int64_t nowMs, uint32_t tick, const SYSTEMTIME& saved, bool* valid);
// An end that the tick counter can time: not beyond its limit and not truncated to 0.
bool endWithinTickRange(double end);

// The saved end passed `left` ms ago (left < 1) for an interval or time-of-day timer: catch up
// the missed repeats, or give up when the timer does not repeat.
ResumePlan planRepeatCatchUp(double left, uint32_t tick, double intervalMs, int kind, int repeatCount,
                             int programStep, bool timerLoop, bool jikokuLoop);
// The same for a program timer with these step waits (all above 0).
ResumePlan planProgramCatchUp(double left, uint32_t tick, const std::vector<uint32_t>& waits,
                              int programStep, int repeatCount, bool loop);

// Everything resume decides after the saved end has been put on the tick scale.
struct ResumeState {
  int kind, repeatCount, programStep;
  double intervalMs;
  bool timerLoop, jikokuLoop, programLoop;
};
ResumePlan planResume(double end, uint32_t tick, const ResumeState& state, const std::vector<uint32_t>& waits);
