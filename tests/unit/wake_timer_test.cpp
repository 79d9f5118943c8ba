// The wake timer and keep-awake through a run's life, and a time-of-day end in a new time zone.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "common/timer_state.h"
#include "timers/keep_awake.h"
#include "timers/local_time.h"
#include "timers/wake_timer.h"

namespace {

// The calls as they would go to Windows (Wine accepts a wake timer and never sleeps).
std::vector<std::string> calls;
bool wentOff = false;  // the next look finds the wake timer gone off
BOOL WINAPI recordSet(HANDLE, const LARGE_INTEGER* due, LONG period, PTIMERAPCROUTINE, LPVOID, BOOL resume) {
  calls.push_back("set " + std::to_string(due->QuadPart) + (period ? " periodic" : "") + (resume ? " resume" : ""));
  return TRUE;
}
BOOL WINAPI recordCancel(HANDLE) { return calls.push_back("cancel"), TRUE; }
DWORD WINAPI answerWait(HANDLE, DWORD) { return std::exchange(wentOff, false) ? WAIT_OBJECT_0 : WAIT_TIMEOUT; }
EXECUTION_STATE WINAPI recordState(EXECUTION_STATE s) {
  calls.push_back(s == ES_CONTINUOUS ? "released" : s == (ES_CONTINUOUS | ES_SYSTEM_REQUIRED) ? "awake"
                  : s == (ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED) ? "awake+display" : "other");
  return ES_CONTINUOUS;
}

constexpr uint64_t T0 = 1000000000;    // the tick of the first row
constexpr int64_t U0 = 1796760000000;  // 2026-12-08 20:00 UTC at T0
constexpr int64_t E = 1797027200000;   // a time-of-day end, at T0 + 267,200,000
constexpr int64_t E2 = E + 10800000;   // the same end after a move of zone
constexpr int DAY = TIMER_KIND_TIME_OF_DAY, PROGRAM = TIMER_KIND_PROGRAM, INTERVAL = TIMER_KIND_INTERVAL;
enum Step { Look, ClockSet, TimerWoke, UserWoke, NoticeClosed };

RunView run(int kind, uint64_t end, int64_t endUtc = 0) { return {true, false, kind, end ? T0 + end : 0, endUtc}; }
const RunView kIdle{false, false, INTERVAL, 0, 0};

TEST(WakeTimer, IsSetForEachEndAndKeepAwakeIsHeldOnlyNearTheEnd) {
  const PowerCalls saved = powerCalls;
  powerCalls = {recordSet, recordCancel, answerWait, recordState};
  followRunAt(PowerEvent::NoticeClosed, kIdle, T0, U0);  // whatever an earlier test left
  RunView paused = run(INTERVAL, 600000);
  paused.paused = true;
  struct Row {
    const char* what;
    Step step;
    RunView run;
    uint64_t now;  // after T0
    std::vector<std::string> calls;
  } rows[] = {
      {"an interval start, 10 min to go", Look, run(INTERVAL, 600000), 0, {"set -5700000000 resume", "awake"}},
      {"a second later", Look, run(INTERVAL, 600000), 1000, {}},
      {"a pause", Look, paused, 60000, {"cancel", "released"}},
      {"the continue, 9 min to go", Look, run(INTERVAL, 660000), 120000, {"set -5100000000 resume", "awake"}},
      {"a step of 2 h: the PC may sleep", Look, run(PROGRAM, 7400000), 200000, {"set -71700000000 resume", "released"}},
      {"an hour before the step's end", Look, run(PROGRAM, 7400000), 3800000, {"awake"}},
      {"between two steps", Look, run(PROGRAM, 0), 7400000, {}},
      {"a repeat of 20 s: the wake at its end", Look, run(INTERVAL, 7420000), 7400000, {"set -200000000 resume"}},
      {"the end", Look, kIdle, 7420000, {"cancel", "released"}},
      {"a time of day resumed, days ahead", Look, run(DAY, 267200000, E), 8000000, {"set 134415007700000000 resume"}},
      {"the clock is set", ClockSet, run(DAY, 267200000, E), 8001000, {"set 134415007700000000 resume"}},
      {"the end tick follows the wall clock", Look, run(DAY, 263600000, E), 8002000, {}},
      {"a new zone moves the end", Look, run(DAY, 278000000, E2), 8003000, {"set 134415115700000000 resume"}},
      {"woken by the timer 30 s before the end", TimerWoke, run(DAY, 278000000, E2), 277970000,
       {"set 134415116000000000 resume", "awake+display"}},
      {"the time-up: the wake's hold stays", Look, kIdle, 278000000, {"cancel"}},
      {"the notice is closed", NoticeClosed, kIdle, 278010000, {"released"}},
      {"woken by the user", UserWoke, kIdle, 300000000, {}},
      {"woken by the timer, nobody there", TimerWoke, kIdle, 400000000, {"awake+display"}},
      {"four minutes on", Look, kIdle, 400240000, {}},
      {"five minutes on", Look, kIdle, 400300000, {"released"}},
  };
  const PowerEvent events[] = {PowerEvent::Look, PowerEvent::ClockSet, PowerEvent::Resumed, PowerEvent::Resumed,
                               PowerEvent::NoticeClosed};
  for (const Row& row : rows) {
    calls.clear();
    wentOff = row.step == TimerWoke;
    followRunAt(events[row.step], row.run, T0 + row.now, U0 + (int64_t)row.now);
    EXPECT_EQ(calls, row.calls) << row.what;
  }
  powerCalls = saved;
}

TEST(TimeZoneMove, ATimeOfDayEndMovesToItsLocalTimeOnlyInAnotherZone) {
  const char* old = getenv("TZ");
  const std::string savedTz = std::string("TZ=") + (old ? old : "");
  SYSTEMTIME five{};  // 17:00 on 8 December 2026
  five.wYear = 2026, five.wMonth = 12, five.wDay = 8, five.wHour = 17;
  _putenv("TZ=EST5EDT");  // the C runtime's rules; the names are the keys Windows would give
  _tzset();
  const int64_t chosen = localCalendarSeconds(five) * 1000;
  _putenv("TZ=PST8PDT");  // the PC is taken west
  _tzset();
  const wchar_t east[] = L"Eastern Standard Time", west[] = L"Pacific Standard Time";
  EXPECT_EQ(chosen, 1796767200000);  // 22:00 UTC
  EXPECT_EQ(timeOfDayEndInZone(east, west, chosen, five), 1796778000000);  // 17:00 there: 01:00 UTC
  EXPECT_EQ(timeOfDayEndInZone(east, east, chosen, five), chosen);  // daylight saving within one zone
  EXPECT_EQ(timeOfDayEndInZone(east, L"eastern standard time", chosen, five), chosen);
  EXPECT_EQ(timeOfDayEndInZone(L"", west, chosen, five), chosen);  // a run saved without its zone
  EXPECT_EQ(timeOfDayEndInZone(east, L"", chosen, five), chosen);  // Windows does not say
  _putenv(savedTz.c_str());
  _tzset();
}

}  // namespace
