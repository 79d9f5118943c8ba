#include "timers/local_time.h"

#include <ctime>
#include <cwchar>

namespace {

constexpr int64_t kDaySeconds = 86400;

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar; month may lie
// outside 1..12 and day outside the month, both carried over.
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day) {
  year += (month - 1 >= 0 ? (month - 1) / 12 : -((12 - month) / 12));
  month = ((month - 1) % 12 + 12) % 12 + 1;
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// The local fields as seconds on a plain scale that knows no zone (what the clock shows).
int64_t wallSeconds(int year, int month, int day, int hour, int minute, int second) {
  return daysFromCivil(year, month, day) * kDaySeconds + hour * 3600LL + minute * 60LL + second;
}

// Local time minus calendar time at t, in seconds; false when t cannot be converted.
bool utcOffsetAt(int64_t t, int64_t* offset) {
  std::tm local{};
  const __time64_t value = (__time64_t)t;
  if (_localtime64_s(&local, &value) != 0) return false;
  *offset = wallSeconds(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                        local.tm_sec) - t;
  return true;
}

// The clock shows `wall` at calendar time t.
bool shows(int64_t t, int64_t wall) {
  int64_t offset;
  return utcOffsetAt(t, &offset) && t + offset == wall;
}

// The first moment in (from, to] whose offset is no longer the one in effect at from: the
// change of daylight saving between them.
int64_t changeBetween(int64_t from, int64_t to) {
  int64_t startOffset;
  if (!utcOffsetAt(from, &startOffset)) return to;
  while (to - from > 1) {
    const int64_t middle = from + (to - from) / 2;
    int64_t offset;
    if (utcOffsetAt(middle, &offset) && offset == startOffset)
      from = middle;
    else
      to = middle;
  }
  return to;
}

}  // namespace

int64_t localCalendarSeconds(int year, int month, int day, int hour, int minute, int second) {
  std::tm broken{};
  broken.tm_year = year - 1900;
  broken.tm_mon = month - 1;
  broken.tm_mday = day;
  broken.tm_hour = hour;
  broken.tm_min = minute;
  broken.tm_sec = second;
  broken.tm_isdst = -1;  // the runtime decides from its zone rules
  const int64_t t = (int64_t)_mktime64(&broken);
  if (t == -1) return -1;

  // Runtimes differ in how they read a wall time next to a change of daylight saving; with a
  // change within a day either side, the reading is settled here.
  int64_t before, after;
  if (!utcOffsetAt(t - kDaySeconds, &before) || !utcOffsetAt(t + kDaySeconds, &after) || before == after) return t;
  const int64_t wall = wallSeconds(year, month, day, hour, minute, second);
  const int64_t withBefore = wall - before, withAfter = wall - after;
  const bool beforeShows = shows(withBefore, wall), afterShows = shows(withAfter, wall);
  if (beforeShows && afterShows) return withBefore < withAfter ? withBefore : withAfter;
  if (beforeShows) return withBefore;
  if (afterShows) return withAfter;
  return changeBetween(withBefore < withAfter ? withBefore : withAfter, withBefore < withAfter ? withAfter : withBefore);
}

int64_t localCalendarSeconds(const SYSTEMTIME& time) {
  return localCalendarSeconds(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond);
}

SYSTEMTIME localTimeOfSeconds(int64_t seconds) {
  SYSTEMTIME result{};
  std::tm broken{};
  const __time64_t value = (__time64_t)seconds;
  if (_localtime64_s(&broken, &value) != 0) return result;
  result.wYear = (WORD)(broken.tm_year + 1900);
  result.wMonth = (WORD)(broken.tm_mon + 1);
  result.wDay = (WORD)broken.tm_mday;
  result.wHour = (WORD)broken.tm_hour;
  result.wMinute = (WORD)broken.tm_min;
  result.wSecond = (WORD)broken.tm_sec;
  return result;
}

int64_t calendarNowMs() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const uint64_t ticks = ((uint64_t)now.dwHighDateTime << 32) | now.dwLowDateTime;  // 100 ns since 1601
  return (int64_t)(ticks / 10000) - 11644473600000LL;
}

void rereadTimeZone() { _tzset(); }

void currentTimeZoneKey(wchar_t* key, size_t size) {
  DYNAMIC_TIME_ZONE_INFORMATION zone{};
  if (GetDynamicTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) zone.TimeZoneKeyName[0] = L'\0';
  wcsncpy_s(key, size, zone.TimeZoneKeyName, _TRUNCATE);
}

int64_t timeOfDayEndInZone(const wchar_t* runZone, const wchar_t* currentZone, int64_t endUtcMs,
                           const SYSTEMTIME& localEnd) {
  if (!runZone[0] || !currentZone[0] || _wcsicmp(runZone, currentZone) == 0) return endUtcMs;
  const int64_t seconds = localCalendarSeconds(localEnd);
  return seconds == -1 ? endUtcMs : seconds * 1000 + localEnd.wMilliseconds;
}
