// Local calendar time: the one place where a local date and time becomes 64-bit calendar
// seconds and back. The C runtime's zone rules decide whether daylight saving applies.
#pragma once
#include <windows.h>
#include <cstddef>
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
// The key name of the Windows time zone in effect ("Tokyo Standard Time"); empty when Windows
// does not say. A change of daylight saving keeps it: it names the zone, not the offset.
void currentTimeZoneKey(wchar_t* key, size_t size);
// The end instant of a time-of-day run whose local end is localEnd, stored as endUtcMs when it
// was chosen in the zone runZone, with currentZone in effect (C runtime zone read again): the
// stored instant in the same zone, otherwise localEnd read in the current zone. An unknown zone
// on either side keeps the stored instant, and so does a local end that cannot be read.
int64_t timeOfDayEndInZone(const wchar_t* runZone, const wchar_t* currentZone, int64_t endUtcMs,
                           const SYSTEMTIME& localEnd);
