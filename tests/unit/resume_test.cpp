// Resume after restart: the saved end on the new tick scale and every catch-up path, with
// explicit now, tick and saved values.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "tests/support/system_time.h"

#include "timers/resume.h"
#include "timers/local_time.h"
#include "timers/time_of_day.h"
#include "common/timer_state.h"

namespace {

constexpr double kMinute = 60000.0;
constexpr uint32_t kTick = 10000000;  // about 2.8 hours of uptime

ResumeState interval(double intervalMs, bool timerLoop, int repeats = 0) {
  return ResumeState{TIMER_KIND_INTERVAL, repeats, 0, intervalMs, timerLoop, false, false};
}

using testsupport::at;

int64_t msOf(const SYSTEMTIME& t) { return localCalendarSeconds(t) * 1000 + t.wMilliseconds; }

void expectRunning(const ResumePlan& p, double left, int repeats, int step) {
  ASSERT_TRUE(p.resume);
  EXPECT_EQ(p.remainingMs, (uint32_t)left);
  EXPECT_EQ(p.targetTick, kTick + (uint32_t)left);
  EXPECT_EQ(p.repeatCount, repeats);
  EXPECT_EQ(p.programStep, step);
}

TEST(ResumeSavedEnd, CalendarEndMovesOntoTheCurrentTickScale) {
  bool valid = false;
  SYSTEMTIME now = at(2026, 12, 8, 10, 0, 0, 300);
  double end = savedEndTick(msOf(now), kTick, at(2026, 12, 8, 10, 5, 0, 800), &valid);
  ASSERT_TRUE(valid);
  EXPECT_DOUBLE_EQ(end, kTick + 5 * kMinute + 500);
  // Across a month end, and an end already passed.
  end = savedEndTick(msOf(at(2026, 12, 31, 23, 59, 0, 0)), kTick, at(2027, 1, 1, 0, 1, 0, 0), &valid);
  EXPECT_DOUBLE_EQ(end, kTick + 2 * kMinute);
  end = savedEndTick(msOf(now), kTick, at(2026, 12, 8, 9, 59, 0, 300), &valid);
  EXPECT_DOUBLE_EQ(end, kTick - kMinute);
}

TEST(ResumeSavedEnd, GarbageDatesAreNothingToResume) {
  SYSTEMTIME now = at(2026, 12, 8, 10, 0, 0, 0);
  bool valid = true;
  savedEndTick(msOf(now), kTick, at(0, 0, 0, 0, 0, 0, 0), &valid);  // keys missing or not numbers
  EXPECT_FALSE(valid);
  savedEndTick(msOf(now), kTick, at(65535, 65535, 65535, 65535, 65535, 65535, 65535), &valid);
  EXPECT_FALSE(valid);
  // Out-of-range fields within a representable year carry over like the dialog's dates.
  double end = savedEndTick(msOf(now), kTick, at(2026, 12, 8, 10, 0, 70, 0), &valid);
  EXPECT_TRUE(valid);
  EXPECT_DOUBLE_EQ(end, kTick + 70000);
}

TEST(ResumeSavedEnd, EndsUpToTheLongestCountdownAheadResumeWhateverTheUptime) {
  SYSTEMTIME now = at(2026, 12, 8, 10, 0, 0, 0);
  bool valid;
  struct Case {
    uint64_t tick;
    SYSTEMTIME end;
    bool within;
  } cases[] = {
      {1000, at(2027, 1, 17, 10, 0, 0, 0), true},
      {1000, at(2027, 1, 27, 10, 0, 0, 0), false},
      {49ull * 86400000, at(2026, 12, 9, 10, 0, 0, 0), true},
      {0xFFFFFFFFull - 1000, at(2027, 1, 17, 10, 0, 0, 0), true},
      {0xFFFFFFFFull - 1000, at(2026, 12, 8, 9, 0, 0, 0), true},  // passed: caught up or given up later
  };
  for (const Case& c : cases)
    EXPECT_EQ(endWithinTickRange(savedEndTick(msOf(now), c.tick, c.end, &valid), c.tick), c.within) << c.tick;
}

TEST(ResumeInterval, TenMinuteTimerReopenedAtVariousMoments) {
  struct Case {
    const char* what;
    double savedEndFromNow;  // saved end minus now
    bool timerLoop;
    int repeats;
    bool resume;
    double left;
    int repeatsAfter;
  } cases[] = {
      {"closed at 3 min, reopened 2 min later", 5 * kMinute, false, 0, true, 5 * kMinute, 0},
      {"reopened at 20 min without repeat", -10 * kMinute, false, 0, false, 0, 0},
      {"reopened at 23 min with repeat", -13 * kMinute, true, 0, true, 7 * kMinute, 2},
      {"reopened at exactly 20 min with repeat", -10 * kMinute, true, 0, true, 10 * kMinute, 2},
      {"reopened just after the end, third run", -1, true, 2, true, 10 * kMinute - 1, 3},
      {"end passed by a day", -24 * 60 * kMinute - 3 * kMinute, true, 5, true, 7 * kMinute, 5 + 145},
  };
  for (const Case& c : cases) {
    ResumePlan p = planResume(kTick + c.savedEndFromNow, kTick, interval(10 * kMinute, c.timerLoop, c.repeats), {});
    ASSERT_EQ(p.resume, c.resume) << c.what;
    if (!c.resume) continue;
    EXPECT_EQ(p.remainingMs, (uint32_t)c.left) << c.what;
    EXPECT_EQ(p.targetTick, kTick + (uint32_t)c.left) << c.what;
    EXPECT_EQ(p.repeatCount, c.repeatsAfter) << c.what;
  }
}

TEST(ResumeInterval, TimeOfDaySeriesNeedsBothRepeatSwitches) {
  ResumeState state{TIMER_KIND_TIME_OF_DAY, 0, 0, 10 * kMinute, true, false, false};
  EXPECT_FALSE(planResume(kTick - 3 * kMinute, kTick, state, {}).resume);
  state.jikokuLoop = true;
  expectRunning(planResume(kTick - 3 * kMinute, kTick, state, {}), 7 * kMinute, 1, 0);
  // Still ahead: resumes whatever the switches say.
  state.timerLoop = state.jikokuLoop = false;
  expectRunning(planResume(kTick + 3 * kMinute, kTick, state, {}), 3 * kMinute, 0, 0);
}

TEST(ResumeInterval, RefusalsGiveUp) {
  // Interval set to 0:00:00 since the run began.
  EXPECT_FALSE(planResume(kTick - kMinute, kTick, interval(0, true), {}).resume);
  // A catch-up across the 32-bit tick count's wrap goes on.
  const uint64_t lateTick = 4294967295u - 60000u;
  EXPECT_TRUE(planRepeatCatchUp(-3 * kMinute, lateTick, 10 * kMinute, TIMER_KIND_INTERVAL, 0, 0, true, false).resume);
  // The saved end lies farther ahead than the longest count-down.
  EXPECT_FALSE(planResume(kTick + 4294967296.0, kTick, interval(10 * kMinute, true), {}).resume);
  // A repeat count that would no longer fit.
  EXPECT_FALSE(planResume(kTick - 3 * kMinute, kTick, interval(10 * kMinute, true, INT_MAX), {}).resume);
  EXPECT_FALSE(planRepeatCatchUp(-1.0e13, kTick, 1000, TIMER_KIND_INTERVAL, 0, 0, true, false).resume);
}

const std::vector<uint32_t> kThreeMinutes{60000, 60000, 60000};

TEST(ResumeProgram, CatchesUpStepsAndPasses) {
  struct Case {
    const char* what;
    double left;  // saved end minus now (passed: below 1)
    int savedStep, savedPasses;
    bool loop;
    bool resume;
    double leftAfter;
    int passesAfter, stepAfter;
  } cases[] = {
      // Saved at step 0 ending at minute 1, reopened at minute 4.5 of the run.
      {"next pass, step 1", -3.5 * kMinute, 0, 0, true, true, 0.5 * kMinute, 1, 1},
      {"same pass, step 1", -0.5 * kMinute, 0, 0, false, true, 0.5 * kMinute, 0, 1},
      {"same pass, last step", -1.5 * kMinute, 0, 3, false, true, 0.5 * kMinute, 3, 2},
      {"pass over without loop", -2.5 * kMinute, 0, 0, false, false, 0, 0, 0},
      {"a hundred passes later", -299.5 * kMinute, 0, 0, true, true, 0.5 * kMinute, 100, 0},
      {"saved at the last step", -0.25 * kMinute, 2, 4, true, true, 0.75 * kMinute, 5, 0},
      {"exactly at a step end", -1 * kMinute, 0, 0, true, true, 1 * kMinute, 0, 2},
  };
  for (const Case& c : cases) {
    ResumeState state{TIMER_KIND_PROGRAM, c.savedPasses, c.savedStep, 0, false, false, c.loop};
    ResumePlan p = planResume(kTick + c.left, kTick, state, kThreeMinutes);
    ASSERT_EQ(p.resume, c.resume) << c.what;
    if (!c.resume) continue;
    EXPECT_EQ(p.remainingMs, (uint32_t)c.leftAfter) << c.what;
    EXPECT_EQ(p.targetTick, kTick + (uint32_t)c.leftAfter) << c.what;
    EXPECT_EQ(p.repeatCount, c.passesAfter) << c.what;
    EXPECT_EQ(p.programStep, c.stepAfter) << c.what;
  }
}

TEST(ResumeProgram, ShortenedOrEmptyFileGivesUpOnlyWhenTheEndPassed) {
  ResumeState state{TIMER_KIND_PROGRAM, 0, 5, 0, false, false, true};
  // Still ahead: resumes at the saved step; its end reports the missing step later.
  expectRunning(planResume(kTick + kMinute, kTick, state, kThreeMinutes), kMinute, 0, 5);
  EXPECT_FALSE(planResume(kTick - kMinute, kTick, state, kThreeMinutes).resume);
  state.programStep = 3;
  EXPECT_FALSE(planResume(kTick - kMinute, kTick, state, kThreeMinutes).resume);
  state.programStep = 0;
  EXPECT_FALSE(planResume(kTick - kMinute, kTick, state, {}).resume);
}

TEST(ResumeProgram, LongestStepResumesWhateverTheUptime) {
  const std::vector<uint32_t> waits{1000, 4294000000u};
  for (uint64_t tick : {uint64_t(1000), uint64_t(kTick), 0xFFFFFFFFull - 1000}) {
    ResumePlan p = planProgramCatchUp(-500, tick, waits, 0, 7, true);
    ASSERT_TRUE(p.resume) << tick;
    EXPECT_EQ(p.repeatCount, 7);
    EXPECT_EQ(p.programStep, 1);
    EXPECT_EQ(p.remainingMs, 4294000000u - 500u);
    EXPECT_EQ(p.targetTick, tick + 4294000000u - 500u);
  }
}

TEST(ResumeProgram, PassCountThatWouldOverflowGivesUp) {
  EXPECT_FALSE(planProgramCatchUp(-1.0e13, kTick, {1, 1}, 0, 0, true).resume);
  EXPECT_FALSE(planProgramCatchUp(-3.5 * kMinute, kTick, kThreeMinutes, 0, INT_MAX, true).resume);
}

TEST(ResumePaused, ComesBackPausedInItsRepeatAndStepOrGivesUp) {
  const uint64_t tick = 0xFFFFF000ull;  // the 32-bit tick count wraps within five seconds
  const ResumePlan interval = planPausedResume(5000, tick, TIMER_KIND_INTERVAL, 3, 0, 0);
  ASSERT_TRUE(interval.resume);
  EXPECT_EQ(interval.remainingMs, 5000u);
  EXPECT_EQ(interval.targetTick, tick + 5000);
  EXPECT_EQ(interval.repeatCount, 3);
  EXPECT_EQ(planPausedResume(1, tick, TIMER_KIND_PROGRAM, 0, 2, 3).programStep, 2);
  EXPECT_FALSE(planPausedResume(5000, tick, TIMER_KIND_PROGRAM, 0, 3, 3).resume);  // the step is gone
  EXPECT_FALSE(planPausedResume(5000, tick, TIMER_KIND_TIME_OF_DAY, 0, 0, 0).resume);
  EXPECT_FALSE(planPausedResume(0, tick, TIMER_KIND_INTERVAL, 0, 0, 0).resume);
}

}  // namespace
