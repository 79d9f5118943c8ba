// The wake timer and keep-awake through a run's life, and a time-of-day end in a new time zone.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/timer_state.h"
#include "timers/keep_awake.h"
#include "timers/local_time.h"
#include "power_calls_recorder.h"

namespace {

constexpr uint64_t T0 = 1000000000;        // the tick of the first row
constexpr int64_t U0 = 1796760000000;      // 2026-12-08 20:00 UTC at T0
constexpr int64_t E = 1797027200000;       // a time-of-day end, at T0 + 267,200,000
constexpr int64_t E2 = E + 10800000;       // the same end after a move of zone

enum Step { Look, ClockSet, TimerWoke, UserWoke, NoticeClosed, Refused };

RunView idle() { return {false, false, TIMER_KIND_INTERVAL, 0, 0}; }
RunView counting(int kind, uint64_t end, int64_t endUtc = 0) { return {true, false, kind, T0 + end, endUtc}; }
RunView interval(uint64_t end) { return counting(TIMER_KIND_INTERVAL, end); }

TEST(WakeTimer, IsSetForEachEndAndKeepAwakeIsHeldOnlyNearTheEnd) {
  power_recorder::Installed recorder;
  followRunAt(PowerEvent::NoticeClosed, idle(), T0, U0);  // whatever an earlier test left
  power_recorder::calls.clear();
  RunView pausedRun = interval(600000);
  pausedRun.paused = true;
  const RunView between{true, false, TIMER_KIND_PROGRAM, 0, 0};
  struct Row {
    const char* what;
    Step step;
    RunView run;
    uint64_t now;  // after T0
    std::vector<std::string> calls;
  } rows[] = {
      {"nothing runs", Look, idle(), 0, {}},
      {"an interval start, 10 min to go", Look, interval(600000), 0, {"set -5700000000 resume", "awake"}},
      {"a second later", Look, interval(600000), 1000, {}},
      {"a pause", Look, pausedRun, 60000, {"cancel", "released"}},
      {"the continue, 9 min to go", Look, interval(660000), 120000, {"set -5100000000 resume", "awake"}},
      {"a program step of 2 h: the PC may sleep", Look, counting(TIMER_KIND_PROGRAM, 7400000), 200000,
       {"set -71700000000 resume", "released"}},
      {"an hour before the step's end", Look, counting(TIMER_KIND_PROGRAM, 7400000), 3800000, {"awake"}},
      {"between two steps", Look, between, 7400000, {}},
      {"a repeat of 20 s: the wake at its end", Look, interval(7420000), 7400000, {"set -200000000 resume"}},
      {"the end", Look, idle(), 7420000, {"cancel", "released"}},
      {"a time-of-day run resumed, days to go", Look, counting(TIMER_KIND_TIME_OF_DAY, 267200000, E), 8000000,
       {"set 134415007700000000 resume"}},
      {"the clock is set", ClockSet, counting(TIMER_KIND_TIME_OF_DAY, 267200000, E), 8001000,
       {"set 134415007700000000 resume"}},
      {"the end tick follows the wall clock", Look, counting(TIMER_KIND_TIME_OF_DAY, 263600000, E), 8002000, {}},
      {"a new zone moves the end", Look, counting(TIMER_KIND_TIME_OF_DAY, 278000000, E2), 8003000,
       {"set 134415115700000000 resume"}},
      {"woken by the timer 30 s before the end", TimerWoke, counting(TIMER_KIND_TIME_OF_DAY, 278000000, E2),
       277970000, {"set 134415116000000000 resume", "awake+display"}},
      {"the time-up: the wake's hold stays", Look, idle(), 278000000, {"cancel"}},
      {"the notice is closed", NoticeClosed, idle(), 278010000, {"released"}},
      {"woken by the user", UserWoke, idle(), 300000000, {}},
      {"woken by the timer, nobody there", TimerWoke, idle(), 400000000, {"awake+display"}},
      {"four minutes on", Look, idle(), 400240000, {}},
      {"five minutes on", Look, idle(), 400300000, {"released"}},
      {"Windows refuses the wake", Refused, interval(500600000), 500000000, {"set -5700000000 resume", "awake"}},
      {"the refusal is not asked again", Look, interval(500600000), 500001000, {}},
      {"a stop", Look, idle(), 500002000, {"cancel", "released"}},
  };
  for (const Row& row : rows) {
    power_recorder::calls.clear();
    power_recorder::wentOff = row.step == TimerWoke;
    power_recorder::refuseWake = row.step == Refused;
    const PowerEvent event = row.step == ClockSet       ? PowerEvent::ClockSet
                             : row.step == NoticeClosed ? PowerEvent::NoticeClosed
                             : row.step == TimerWoke || row.step == UserWoke ? PowerEvent::Resumed
                                                                             : PowerEvent::Look;
    followRunAt(event, row.run, T0 + row.now, U0 + (int64_t)row.now);
    EXPECT_EQ(power_recorder::calls, row.calls) << row.what;
  }
}

// The C runtime reads local times with a TZ of its own: the zones are its rules, the names the
// keys Windows would give.
class TimeZoneMove : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = getenv("TZ");
    savedTz_ = std::string("TZ=") + (old ? old : "");
  }
  void TearDown() override {
    _putenv(savedTz_.c_str());
    _tzset();
  }
  static void zone(const char* tz) {
    _putenv(tz);
    _tzset();
  }
  std::string savedTz_;
};

TEST_F(TimeZoneMove, ATimeOfDayEndMovesToItsLocalTimeOnlyInAnotherZone) {
  SYSTEMTIME five{};  // 17:00 on 8 December 2026
  five.wYear = 2026, five.wMonth = 12, five.wDay = 8, five.wHour = 17;
  zone("TZ=EST5EDT");
  const int64_t chosen = localCalendarSeconds(five) * 1000;
  ASSERT_EQ(chosen, 1796767200000);  // 22:00 UTC
  zone("TZ=PST8PDT");                // the PC is taken west
  const wchar_t east[] = L"Eastern Standard Time", west[] = L"Pacific Standard Time";
  struct Case {
    const wchar_t *runZone, *currentZone;
    int64_t end;
  } cases[] = {
      {east, west, 1796778000000},              // 17:00 there: 01:00 UTC
      {east, east, chosen},                     // one zone (a change of daylight saving): the instant stays
      {east, L"eastern standard time", chosen},  // key names are read without case
      {L"", west, chosen},                       // a run saved without its zone
      {east, L"", chosen},                       // Windows does not say
  };
  for (const Case& c : cases)
    EXPECT_EQ(timeOfDayEndInZone(c.runZone, c.currentZone, chosen, five), c.end) << "case " << &c - cases;
}

}  // namespace
