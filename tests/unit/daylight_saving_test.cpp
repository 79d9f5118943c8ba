// Local times across real changes of daylight saving (US rules of 2026: the clock jumps from
// 2:00 to 3:00 on 8 March and falls back from 2:00 to 1:00 on 1 November). The C runtime takes
// its daylight-saving rules from the system's zone, so ctest runs these with TZ=PST8PDT.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "timers/countdown.h"
#include "timers/local_time.h"
#include "timers/resume.h"
#include "timers/time_of_day.h"

namespace {

constexpr int64_t kHour = 3600;

SYSTEMTIME at(int y, int mo, int d, int h, int mi, int s = 0) {
  SYSTEMTIME t{};
  t.wYear = (WORD)y, t.wMonth = (WORD)mo, t.wDay = (WORD)d, t.wHour = (WORD)h, t.wMinute = (WORD)mi;
  t.wSecond = (WORD)s;
  return t;
}

int64_t seconds(int y, int mo, int d, int h, int mi, int s = 0) { return localCalendarSeconds(y, mo, d, h, mi, s); }

std::string text(const SYSTEMTIME& t) {
  char out[32];
  snprintf(out, sizeof out, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
  return out;
}

class DaylightSaving : public ::testing::Test {
 protected:
  void SetUp() override {
    TIME_ZONE_INFORMATION zone;
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_UNKNOWN)
      GTEST_SKIP() << "the system's zone has no daylight saving; ctest runs these with TZ=PST8PDT";
    const char* old = getenv("TZ");
    savedTz_ = std::string("TZ=") + (old ? old : "");
    _putenv("TZ=PST8PDT");
    _tzset();
  }
  void TearDown() override {
    if (savedTz_.empty()) return;
    _putenv(savedTz_.c_str());
    _tzset();
  }
  std::string savedTz_;
};

TEST_F(DaylightSaving, LocalTimesReadWithTheOffsetInEffectThen) {
  // 12:00 in June is 19:00 UTC, in December 20:00 UTC.
  EXPECT_EQ(seconds(2026, 6, 8, 12, 0), 1780945200);
  EXPECT_EQ(seconds(2026, 12, 8, 12, 0), 1796760000);
  struct Case {
    SYSTEMTIME from, to;
    int64_t apart;
  } cases[] = {
      {at(2026, 3, 8, 1, 30), at(2026, 3, 8, 3, 30), kHour},        // across the jump
      {at(2026, 3, 7, 12, 0), at(2026, 3, 8, 12, 0), 23 * kHour},   // the short day
      {at(2026, 10, 31, 12, 0), at(2026, 11, 1, 12, 0), 25 * kHour},  // the long day
      {at(2026, 11, 1, 0, 30), at(2026, 11, 1, 2, 30), 3 * kHour},  // across the fall-back
  };
  for (const Case& c : cases) {
    EXPECT_EQ(localCalendarSeconds(c.to) - localCalendarSeconds(c.from), c.apart) << text(c.from) << " to " << text(c.to);
    EXPECT_EQ(text(localTimeOfSeconds(localCalendarSeconds(c.to))), text(c.to));
  }
}

TEST_F(DaylightSaving, SkippedTimesAreTheJumpAndRepeatedTimesTheirFirstOccurrence) {
  // 2:00 to 2:59:59 on 8 March never shows: each is the moment the clock jumps to 3:00.
  const int64_t jump = seconds(2026, 3, 8, 3, 0);
  EXPECT_EQ(jump, seconds(2026, 3, 8, 1, 59, 59) + 1);
  EXPECT_EQ(seconds(2026, 3, 8, 2, 0), jump);
  EXPECT_EQ(seconds(2026, 3, 8, 2, 30), jump);
  EXPECT_EQ(seconds(2026, 3, 8, 2, 59, 59), jump);
  // 1:00 to 1:59:59 on 1 November shows twice: the first time, an hour after 0:xx.
  const int64_t repeated = seconds(2026, 11, 1, 1, 30);
  EXPECT_EQ(repeated, seconds(2026, 11, 1, 0, 30) + kHour);
  EXPECT_EQ(text(localTimeOfSeconds(repeated + kHour)), "2026-11-01 01:30:00");  // the second time
  EXPECT_EQ(seconds(2026, 11, 1, 2, 0), repeated + 90 * 60);
}

TEST_F(DaylightSaving, IntervalEndIsTheLocalTimeThatLongAfterTheStart) {
  struct Case {
    SYSTEMTIME start;
    int64_t secondsLater;
    const char* end;
  } cases[] = {
      {at(2026, 6, 8, 19, 8), kHour, "2026-06-08 20:08:00"},           // in summer time
      {at(2026, 3, 8, 1, 30), kHour, "2026-03-08 03:30:00"},           // across the jump
      {at(2026, 11, 1, 0, 30), 3 * kHour, "2026-11-01 02:30:00"},      // across the fall-back
      {at(2026, 3, 7, 12, 0), 24 * kHour, "2026-03-08 13:00:00"},
  };
  for (const Case& c : cases) {
    SYSTEMTIME end{};
    ASSERT_TRUE(calendarEnd(localCalendarSeconds(c.start) * 1000, c.secondsLater * 1000, end));
    EXPECT_EQ(text(end), c.end) << "from " << text(c.start);
  }
}

TEST_F(DaylightSaving, TimeOfDayTargetsAndResumedEndsKeepToTheWallClock) {
  const uint32_t tick = 1000000;
  struct Case {
    SYSTEMTIME now;
    WORD chosen[6];
    double ahead;  // ms from now to the chosen moment
  } cases[] = {
      {at(2026, 3, 7, 12, 0), {2026, 3, 8, 12, 0, 0}, 23 * 3600000.0},
      {at(2026, 10, 31, 12, 0), {2026, 11, 1, 12, 0, 0}, 25 * 3600000.0},
      {at(2026, 3, 8, 1, 0), {2026, 3, 8, 2, 30, 0}, 3600000.0},      // skipped: ends at the jump
      {at(2026, 11, 1, 0, 0), {2026, 11, 1, 1, 30, 0}, 5400000.0},    // repeated: the first time
      {at(2026, 12, 8, 19, 8), {2026, 12, 8, 20, 8, 0}, 3600000.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(text(c.now));
    const int64_t nowMs = localCalendarSeconds(c.now) * 1000;
    TimeOfDayTarget target = timeOfDayTarget(nowMs, tick, c.chosen);
    ASSERT_EQ(target.result, TimeOfDayTarget::Ok);
    EXPECT_DOUBLE_EQ(target.endTick - tick, c.ahead);
    // The stored end read back at resume lands on the same tick.
    bool valid = false;
    EXPECT_DOUBLE_EQ(savedEndTick(nowMs, tick, target.normalised, &valid), target.endTick);
    EXPECT_TRUE(valid);
  }
  // An end saved in summer time and resumed in winter time, and the other way round.
  bool valid = false;
  EXPECT_DOUBLE_EQ(savedEndTick(localCalendarSeconds(at(2026, 3, 8, 1, 30)) * 1000, tick, at(2026, 3, 8, 3, 30), &valid),
                   tick + 3600000.0);
  EXPECT_DOUBLE_EQ(savedEndTick(localCalendarSeconds(at(2026, 11, 1, 2, 30)) * 1000, tick, at(2026, 11, 1, 0, 30), &valid),
                   tick - 3 * 3600000.0);
}

TEST_F(DaylightSaving, EndInTheRepeatedHourResumesWithTheRightTimeLeftFromItsInstant) {
  // Started at 1:50 on the first pass for 20 minutes: ends at 1:10 on the second pass, and a
  // restart at 1:05 on the second pass has 5 minutes left.
  const int64_t endMs = (seconds(2026, 11, 1, 1, 50) + 1200) * 1000;
  SYSTEMTIME saved{};
  ASSERT_TRUE(calendarEnd(endMs - 1200000, 1200000, saved));
  EXPECT_EQ(text(saved), "2026-11-01 01:10:00");
  const uint64_t tick = 0x100000000ull;
  struct Case {
    int64_t savedUtcMs;
    double left;
  } cases[] = {
      {endMs, 300000.0},
      {0, 300000.0 - 3600000.0},  // a file without the instant: the first 1:10, as before
  };
  for (const Case& c : cases) {
    bool valid = false;
    EXPECT_DOUBLE_EQ(savedEndTick(endMs - 300000, tick, saved, &valid, c.savedUtcMs) - (double)tick, c.left);
    EXPECT_TRUE(valid);
  }
}

}  // namespace
