// The arithmetic of the count-down: wake-up schedule, repaints, the tick counter's limit and
// the calendar end, as the loop and the interval start use them.
#include <gtest/gtest.h>

#include <vector>

#include "timers/countdown.h"
#include "timers/local_time.h"
#include "timers/time_up.h"
#include "common/timer_state.h"

namespace {

struct ScheduleRun {
  std::vector<DWORD> sleeps;
  int ticks = 0;
};

// Follows the loop's schedule with exact sleeps from a first wake-up with `remaining` left.
ScheduleRun simulate(uint32_t remaining) {
  ScheduleRun run;
  while (remaining > 0) {
    CountdownSleep next = countdownSleep(remaining);
    run.sleeps.push_back(next.ms);
    remaining -= next.ms;
    if (next.final) break;
    ++run.ticks;
  }
  return run;
}

TEST(CountdownSchedule, WakesFiftyMillisecondsPastEachWholeSecond) {
  struct Case {
    uint32_t remaining;
    DWORD sleep;
    bool final;
  } cases[] = {
      {5321, 371, false}, {4950, 1000, false}, {1000, 50, false}, {1049, 99, false},
      {950, 950, true},   {999, 999, true},    {1, 1, true},      {3600000, 50, false},
  };
  for (const Case& c : cases) {
    CountdownSleep s = countdownSleep(c.remaining);
    EXPECT_EQ(s.ms, c.sleep) << c.remaining;
    EXPECT_EQ(s.final, c.final) << c.remaining;
  }
}

TEST(CountdownSchedule, OneTickPerSecondCrossedAndNoneInTheFinalSleep) {
  ScheduleRun run = simulate(5321);
  EXPECT_EQ(run.sleeps, (std::vector<DWORD>{371, 1000, 1000, 1000, 1000, 950}));
  EXPECT_EQ(run.ticks, 5);

  struct Case {
    uint32_t remaining;
    int ticks;
  } cases[] = {{3000, 3}, {2999, 2}, {950, 0}, {60000, 60}, {1050, 1}};
  for (const Case& c : cases) EXPECT_EQ(simulate(c.remaining).ticks, c.ticks) << c.remaining;
}

TEST(CountdownSchedule, HiddenSecondsRepaintOncePerMinuteUntilTheLastMinute) {
  int lastMinute = -1;
  int repaints = 0, lastMinuteRepaints = 0;
  for (uint32_t remaining = 300321;;) {
    if (countdownRepaint(remaining, false, lastMinute)) {
      ++repaints;
      if (remaining < 60000) ++lastMinuteRepaints;
    }
    CountdownSleep next = countdownSleep(remaining);
    if (next.final) break;
    remaining -= next.ms;
  }
  EXPECT_EQ(lastMinuteRepaints, 60);          // 59,950 ms down to 950 ms
  EXPECT_EQ(repaints - lastMinuteRepaints, 5);  // minutes 5, 4, 3, 2, 1

  int unused = -1;
  EXPECT_TRUE(countdownRepaint(300000, true, unused));
  EXPECT_EQ(unused, -1);
}

TEST(CountdownSchedule, EndIsReachedAtTheTargetAlsoAcrossTheOld32BitWrap) {
  struct Case {
    uint64_t target, now;
    bool ended;
    uint32_t shown;
  } cases[] = {
      {5000, 4999, false, 1},
      {5000, 5000, true, 0},
      {5000, 7000, true, 0},
      {0x100000040ull, 0xFFFFFF00ull, false, 0x140},
      {0x100000040ull + 69000, 0xFFFFFFFFull - 63000, false, 132065},
      {0x100000040ull, 0x100000040ull, true, 0},
      {0x300000000ull, 0x100000000ull, false, 0xFFFFFFFFu},  // more than the read-out holds
  };
  for (const Case& c : cases) {
    EXPECT_EQ(countdownEnded(c.target, c.now), c.ended) << c.target << " " << c.now;
    EXPECT_EQ(remainingForDisplay(c.target, c.now), c.shown) << c.target << " " << c.now;
  }
}

TEST(CountdownSchedule, TimeOfDayEndFollowsTheWallClockAndOtherEndsRewriteTheirCalendarEnd) {
  const int64_t end = 1800000000000;  // calendar ms
  struct Case {
    const char* what;
    int64_t nowUtc;
    uint64_t expectedEndTick;  // at tick 1000
    bool calendarMoved;        // for an elapsed-time count-down with 60 s left
  } cases[] = {
      {"clock as expected", end - 60000, 61000, false},
      {"clock set 58 s forward", end - 2000, 3000, true},
      {"clock set past the end", end + 5, 1000, true},
      {"clock set an hour back", end - 3660000, 3661000, true},
      {"clock 900 ms off", end - 59100, 60100, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(wallClockEndTick(end, c.nowUtc, 1000), c.expectedEndTick) << c.what;
    EXPECT_EQ(calendarEndMoved(end, c.nowUtc, 60000), c.calendarMoved) << c.what;
  }
}

TEST(IntervalStart, DurationMustFitTheLongestCountdownWhateverTheUptime) {
  const double h1193 = intervalDurationMs(1193, 0, 0);
  const double longest = intervalDurationMs(1193, 59, 59);
  EXPECT_EQ(h1193, 4294800000.0);
  EXPECT_EQ(longest, 4298399000.0);
  struct Case {
    double duration;
    bool fits;
  } cases[] = {
      {longest, false},
      {h1193, true},
      {4294967295.0, true},
      {4294967296.0, false},
      {intervalDurationMs(0, 0, 1), true},
  };
  for (const Case& c : cases) EXPECT_EQ(countdownFits(c.duration), c.fits) << c.duration;
}

SYSTEMTIME localTime(int y, int mo, int d, int h, int mi, int s, int dow, int ms) {
  SYSTEMTIME t{};
  t.wYear = WORD(y), t.wMonth = WORD(mo), t.wDay = WORD(d), t.wHour = WORD(h), t.wMinute = WORD(mi);
  t.wSecond = WORD(s), t.wDayOfWeek = WORD(dow), t.wMilliseconds = WORD(ms);
  return t;
}

int64_t calendarMs(const SYSTEMTIME& t) { return localCalendarSeconds(t) * 1000 + t.wMilliseconds; }

TEST(IntervalStart, CalendarEndCarriesOverDaysMonthsAndYears) {
  struct Case {
    SYSTEMTIME start;
    long long seconds;
    SYSTEMTIME end;
  } cases[] = {
      {localTime(2026, 12, 31, 23, 59, 30, 4, 123), 45, localTime(2027, 1, 1, 0, 0, 15, 4, 123)},
      {localTime(2028, 2, 28, 23, 30, 0, 1, 7), 3600, localTime(2028, 2, 29, 0, 30, 0, 1, 7)},
      {localTime(2027, 1, 10, 8, 0, 0, 0, 0), 1193 * 3600LL + 59 * 60 + 59, localTime(2027, 3, 1, 1, 59, 59, 0, 0)},
      {localTime(2027, 1, 10, 8, 0, 0, 0, 0), 0, localTime(2027, 1, 10, 8, 0, 0, 0, 0)},
  };
  for (const Case& c : cases) {
    SYSTEMTIME end{};
    end.wDayOfWeek = c.start.wDayOfWeek;
    ASSERT_TRUE(calendarEnd(calendarMs(c.start), c.seconds * 1000, end));
    EXPECT_EQ(end.wYear, c.end.wYear);
    EXPECT_EQ(end.wMonth, c.end.wMonth);
    EXPECT_EQ(end.wDay, c.end.wDay);
    EXPECT_EQ(end.wHour, c.end.wHour);
    EXPECT_EQ(end.wMinute, c.end.wMinute);
    EXPECT_EQ(end.wSecond, c.end.wSecond);
    EXPECT_EQ(end.wDayOfWeek, c.start.wDayOfWeek);   // left as it was
    EXPECT_EQ(end.wMilliseconds, c.start.wMilliseconds);
  }
  // A program step's end carries its milliseconds over into the seconds.
  SYSTEMTIME end{};
  ASSERT_TRUE(calendarEnd(calendarMs(localTime(2027, 1, 10, 8, 0, 0, 0, 900)), 1300, end));
  EXPECT_EQ(end.wSecond, 2);
  EXPECT_EQ(end.wMilliseconds, 200);
}

TEST(IntervalDialogHours, HoursAboveTheRangeOrAnErrorAnswerBecome1193) {
  struct Case {
    DWORD answer;
    int hours;
  } cases[] = {{0, 0}, {12, 12}, {1193, 1193}, {1194, 1193}, {0x00010000u | 1193, 1193}, {0x00010000u, 1193}};
  for (const Case& c : cases) EXPECT_EQ(clampDialogHours(c.answer), c.hours) << c.answer;
}

TEST(TimeUp, CaptionNamesTheRepeatFromTheSecondEndOn) {
  struct Case {
    int repeats;
    const wchar_t* caption;
  } cases[] = {{0, L"Velmora"}, {1, L"繰り返し 2 回目 - Velmora"}, {2, L"繰り返し 3 回目 - Velmora"},
               {41, L"繰り返し 42 回目 - Velmora"}};
  for (const Case& c : cases) {
    wchar_t caption[128] = L"Velmora";
    formatTimeUpCaption(c.repeats, caption, 128);
    EXPECT_STREQ(caption, c.caption);
  }
}

// Wine has no foreground lock, so only the flags can show that the box does not take the keyboard.
TEST(TimeUp, BoxStaysOnTopWithoutForcingItsWayToTheForeground) {
  EXPECT_EQ(kTimeUpBoxFlags & MB_SETFOREGROUND, 0u);
  EXPECT_EQ(kTimeUpBoxFlags & MB_TOPMOST, (UINT)MB_TOPMOST);
}

TEST(TimeUp, RepeatFollowsIntervalEndsAndTimeOfDayEndsOnlyWhenAllowed) {
  struct Case {
    int loop, kind, timeOfDayLoop;
    bool repeats;
  } cases[] = {
      {0, TIMER_KIND_INTERVAL, 1, false}, {1, TIMER_KIND_INTERVAL, 0, true},
      {1, TIMER_KIND_TIME_OF_DAY, 0, false}, {1, TIMER_KIND_TIME_OF_DAY, 1, true},
      {0, TIMER_KIND_TIME_OF_DAY, 1, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(repeatFollows(c.loop, c.kind, c.timeOfDayLoop), c.repeats) << c.loop << c.kind << c.timeOfDayLoop;
}

}  // namespace
