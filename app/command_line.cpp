#include "app/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cwctype>

namespace {

// Far beyond every cap, and small enough that sums never overflow.
constexpr long long kSaturated = 1'000'000'000'000LL;

// ASCII and full-width digits (_wtoi reads both); -1 for anything else.
int digitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= 0xFF10 && c <= 0xFF19) return c - 0xFF10;
  return -1;
}

void skipBlanks(const wchar_t*& p) {
  while (*p && iswspace(*p)) ++p;
}

// Reads one or more digits; the count of digits read goes to *count.
long long readDigits(const wchar_t*& p, int* count) {
  long long value = 0;
  *count = 0;
  for (int d; (d = digitValue(*p)) >= 0; ++p, ++*count)
    value = value >= kSaturated ? kSaturated : value * 10 + d;
  return value;
}

bool isPlainNumber(const wchar_t* p) {
  skipBlanks(p);
  if (*p == L'+' || *p == L'-') ++p;
  int digits = 0;
  readDigits(p, &digits);
  skipBlanks(p);
  return digits > 0 && *p == 0;
}

// The unit at p, as its index (0 hours, 1 minutes, 2 seconds), stepping over it; -1 if none.
int readUnit(const wchar_t*& p) {
  switch (*p) {
    case L'h': case L'H': ++p; return 0;
    case L'm': case L'M': case L'分': ++p; return 1;
    case L's': case L'S': case L'秒': ++p; return 2;
    case L'時':
      if (p[1] != L'間') return -1;
      p += 2;
      return 0;
    default: return -1;
  }
}

// "1h30m15s" and the like: units in the order hours, minutes, seconds, each at most once.
bool readUnitForm(const wchar_t* p, long long* seconds) {
  static const long long unitSeconds[] = {3600, 60, 1};
  long long total = 0;
  int nextUnit = 0;
  skipBlanks(p);
  while (*p) {
    int digits = 0;
    const long long value = readDigits(p, &digits);
    skipBlanks(p);
    const int unit = readUnit(p);
    if (digits == 0 || unit < nextUnit) return false;
    total += value * unitSeconds[unit];
    if (total > kSaturated) total = kSaturated;
    nextUnit = unit + 1;
    skipBlanks(p);
  }
  *seconds = total;
  return nextUnit > 0;
}

bool isColon(wchar_t c) { return c == L':' || c == 0xFF1A; }

// "m:ss" and "h:mm:ss": the first field any length, every later one two digits below 60.
bool readClockForm(const wchar_t* p, long long* seconds) {
  skipBlanks(p);
  int digits = 0;
  long long total = readDigits(p, &digits);
  if (digits == 0) return false;
  int fields = 1;
  while (isColon(*p)) {
    ++p;
    const long long value = readDigits(p, &digits);
    if (digits != 2 || value > 59 || ++fields > 3) return false;
    total = total * 60 + value;
  }
  skipBlanks(p);
  *seconds = total;
  return fields >= 2 && *p == 0;
}

}  // namespace

std::wstring argumentText(const wchar_t* commandLine) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(commandLine, &argc);
  if (!argv) return L"";
  std::wstring text;
  for (int i = 1; i < argc; ++i) text += (i > 1 ? L" " : L"") + std::wstring(argv[i]);
  LocalFree(argv);
  return text;
}

ArgumentLength lengthFromArgument(const wchar_t* argument) {
  if (!argument) return {ArgumentLength::Nothing, 0};
  const wchar_t* p = argument;
  skipBlanks(p);
  if (*p == 0) return {ArgumentLength::Nothing, 0};
  long long seconds = 0;
  if (isPlainNumber(argument))
    seconds = _wtoi(argument);
  else if (!readUnitForm(argument, &seconds) && !readClockForm(argument, &seconds))
    return {ArgumentLength::Refused, 0};
  if (seconds < 1) return {ArgumentLength::Nothing, 0};
  return {ArgumentLength::Length, seconds};
}

CommandLineInterval intervalFromArgument(const wchar_t* argument) {
  const ArgumentLength length = lengthFromArgument(argument);
  CommandLineInterval r{false, length.kind == ArgumentLength::Refused, 0, 0, 0};
  if (length.kind != ArgumentLength::Length) return r;
  r.given = true;
  const long long hours = length.seconds / 3600;
  r.hours = hours > 1193 ? 1193 : (int)hours;
  r.minutes = (int)(length.seconds % 3600 / 60);
  r.seconds = (int)(length.seconds % 60);
  return r;
}

std::wstring refusedArgumentMessage(const wchar_t* argument) {
  std::wstring shown = argument ? argument : L"";
  if (shown.size() > 40) shown = shown.substr(0, 40) + L"…";
  return L"「" + shown + L"」はタイマーの長さとして読み取れません。\n\n"
         L"長さは次のどれかの形で指定してください。\n"
         L"・秒数：90\n"
         L"・単位付き：90s、25m、2h、1h30m15s\n"
         L"・日本語の単位：90秒、25分、1時間30分\n"
         L"・分:秒：25:00\n"
         L"・時:分:秒：1:30:00\n\n"
         L"タイマーはスタートしません。";
}
