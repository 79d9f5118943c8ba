// Local calendar time: the one place where a local date and time becomes 64-bit calendar
// seconds and back. The C runtime's zone rules decide whether daylight saving applies.
#pragma once
#include <windows.h>
#include <cstdint>

// Calendar seconds of a local date and time; -1 when the date cannot be represented.
// Out-of-range fields are carried over (31 April is 1 May, 24:00 is the next day's 0:00).
// A wall time that the clock shows twice (the hour after daylight saving ends) is its first
// occurrence; one that the clock skips (the hour when daylight saving begins) is the moment of
// the change, when the clock jumps past it (2:30 on that night ends at the jump to 3:00).
int64_t localCalendarSeconds(int year, int month, int day, int hour, int minute, int second);
int64_t localCalendarSeconds(const SYSTEMTIME& time);
// The local date and time of calendar seconds; day of week and milliseconds 0. All fields 0
// when the seconds cannot be converted.
SYSTEMTIME localTimeOfSeconds(int64_t seconds);
// The system clock as calendar milliseconds. Read from the clock itself, not from the local
// time, which is ambiguous in the hour after daylight saving ends.
int64_t calendarNowMs();
// Reads the time zone again (after the zone or the clock was set); the C runtime keeps the zone
// it read first otherwise.
void rereadTimeZone();
