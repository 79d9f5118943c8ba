// A date and time written out as a SYSTEMTIME, for the timer tests.
#pragma once
#include <windows.h>

namespace testsupport {

inline SYSTEMTIME at(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
  SYSTEMTIME t{};
  t.wYear = (WORD)year;
  t.wMonth = (WORD)month;
  t.wDay = (WORD)day;
  t.wHour = (WORD)hour;
  t.wMinute = (WORD)minute;
  t.wSecond = (WORD)second;
  t.wMilliseconds = (WORD)ms;
  return t;
}

}  // namespace testsupport
