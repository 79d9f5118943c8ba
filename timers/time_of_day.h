// The time-of-day timer: dialog 202 and its start routine.
#pragma once
#include <windows.h>
#include <cstdint>

#include "timers/local_time.h"

INT_PTR CALLBACK timeOfDayDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Starts the time-of-day timer for timeOfDaySetting on a thread of its own, which gets its own
// copy of the setting (a second dialog may change it while the start waits). False when the
// thread could not be made.
bool startTimeOfDayTimer(HWND window);
// The start itself; takes a TimeOfDayStart made with new and deletes it.
DWORD WINAPI timeOfDayStartThread(LPVOID start);
struct TimeOfDayStart {
  HWND window;
  WORD target[6];
};

// The longest count-down: the read-out and the step waits hold 4,294,967,295 ms (49.7 days).
constexpr double LONGEST_COUNTDOWN_MS = 4294967295.0;

// Where a chosen local date and time falls on the tick scale.
struct TimeOfDayTarget {
  enum Result { Ok, OutOfRange, Past } result;
  double endTick;          // the end on the tick scale (meaningful when result is Ok)
  SYSTEMTIME normalised;   // the chosen moment with impossible dates carried over
  int64_t endUtcMs;        // the chosen moment as calendar milliseconds
};
// nowMs (calendar milliseconds) and tick are read together; target holds year, month, day,
// hour, minute, second as local time. Out of range beyond the longest count-down from now.
TimeOfDayTarget timeOfDayTarget(int64_t nowMs, uint64_t tick, const WORD target[6]);

// The end instant of the time-of-day run at a wake-up or a resume: when the time zone is no
// longer the one the run was chosen in, the end moves to its local time in the new zone (the
// run then belongs to that zone and ALARM_TIME says so).
int64_t followTimeZone();
