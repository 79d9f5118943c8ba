// The time-of-day timer: dialog 202 and its start routine.
#pragma once
#include <windows.h>
#include <cstdint>

INT_PTR CALLBACK timeOfDayDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
DWORD WINAPI timeOfDayStartThread(LPVOID window);

// The largest value of the tick counter; an end beyond it cannot be timed.
constexpr double TICK_LIMIT = 4294967295.0;

// Local calendar time in seconds (mktime, no daylight saving); -1 when the date cannot be
// represented. Out-of-range fields are carried over (31 April is 1 May).
int64_t localCalendarSeconds(int year, int month, int day, int hour, int minute, int second);
int64_t localCalendarSeconds(const SYSTEMTIME& time);
// The local date and time of calendar seconds, all other SYSTEMTIME fields 0.
SYSTEMTIME localTimeOfSeconds(int64_t seconds);

// Where a chosen local date and time falls on the tick scale.
struct TimeOfDayTarget {
  enum Result { Ok, OutOfRange, Past } result;
  double endTick;          // the end on the tick scale (meaningful when result is Ok)
  SYSTEMTIME normalised;   // the chosen moment with impossible dates carried over
};
// now and tick are read together; target holds year, month, day, hour, minute, second.
TimeOfDayTarget timeOfDayTarget(const SYSTEMTIME& now, uint32_t tick, const WORD target[6]);
