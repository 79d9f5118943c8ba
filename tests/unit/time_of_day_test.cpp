// The time-of-day target on the tick scale, its refusals and the calendar carry-over, and
// dialog 202 driven in-process.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <thread>

#include "tests/support/system_time.h"

#include "res/resource.h"
#include "timers/time_of_day.h"
#include "common/timer_state.h"
#include "dialog_driver.h"

namespace {

using testsupport::at;

int64_t msOf(const SYSTEMTIME& t) { return localCalendarSeconds(t) * 1000 + t.wMilliseconds; }

struct Chosen {
  WORD v[6];
};
Chosen chosen(int y, int mo, int d, int h, int mi, int s) {
  return Chosen{{(WORD)y, (WORD)mo, (WORD)d, (WORD)h, (WORD)mi, (WORD)s}};
}

constexpr double kDayMs = 86400000.0;

TEST(TimeOfDayTarget, EndFallsOnTheWholeSecondOfTheChosenTime) {
  const SYSTEMTIME now = at(2026, 12, 8, 10, 0, 0, 250);
  auto t = timeOfDayTarget(msOf(now), 100000, chosen(2026, 12, 8, 10, 0, 5).v);
  ASSERT_EQ(t.result, TimeOfDayTarget::Ok);
  // 5 s ahead on the calendar, less the 250 ms of the current second already gone.
  EXPECT_DOUBLE_EQ(t.endTick, 104750.0);
  EXPECT_EQ(t.normalised.wSecond, 5);
  EXPECT_EQ(t.normalised.wMilliseconds, 0);
  EXPECT_EQ(t.normalised.wDayOfWeek, 0);
}

TEST(TimeOfDayTarget, ImpossibleDatesCarryOverIntoTheNextMonth) {
  struct Case {
    Chosen target;
    int month, day;
  } cases[] = {
      {chosen(2027, 4, 31, 12, 0, 0), 5, 1},   // 31 April
      {chosen(2027, 2, 31, 12, 0, 0), 3, 3},   // 31 February
      {chosen(2028, 2, 31, 12, 0, 0), 3, 2},   // 31 February of a leap year
      {chosen(2027, 2, 29, 12, 0, 0), 3, 1},
  };
  for (const Case& c : cases) {
    // "now" a few days before, so the target is within the tick range.
    SYSTEMTIME now = at(c.target.v[0], c.target.v[1], 20, 0, 0, 0);
    auto t = timeOfDayTarget(msOf(now), 1000, c.target.v);
    ASSERT_EQ(t.result, TimeOfDayTarget::Ok) << c.target.v[1] << "/" << c.target.v[2];
    EXPECT_EQ(t.normalised.wMonth, c.month) << c.target.v[1] << "/" << c.target.v[2];
    EXPECT_EQ(t.normalised.wDay, c.day) << c.target.v[1] << "/" << c.target.v[2];
    EXPECT_EQ(t.normalised.wHour, 12);
    EXPECT_EQ(t.normalised.wYear, c.target.v[0]);
  }
  // 31 April counts from 1 May: 11 days and 12 hours after 20 April 00:00.
  auto t = timeOfDayTarget(msOf(at(2027, 4, 20, 0, 0, 0)), 1000, chosen(2027, 4, 31, 12, 0, 0).v);
  EXPECT_DOUBLE_EQ(t.endTick, 1000 + 11.5 * kDayMs);
}

TEST(TimeOfDayTarget, CurrentSecondAndEarlierArePast) {
  const SYSTEMTIME now = at(2026, 12, 8, 10, 0, 0, 250);
  EXPECT_EQ(timeOfDayTarget(msOf(now), 50000, chosen(2026, 12, 8, 10, 0, 0).v).result, TimeOfDayTarget::Past);
  EXPECT_EQ(timeOfDayTarget(msOf(at(2026, 12, 8, 10, 0, 0, 0)), 50000, chosen(2026, 12, 8, 10, 0, 0).v).result,
            TimeOfDayTarget::Past);
  EXPECT_EQ(timeOfDayTarget(msOf(now), 50000, chosen(2026, 12, 7, 23, 59, 59).v).result, TimeOfDayTarget::Past);
  // Before the system started: still "past", not out of range.
  EXPECT_EQ(timeOfDayTarget(msOf(now), 50000, chosen(2026, 1, 1, 0, 0, 0).v).result, TimeOfDayTarget::Past);
  EXPECT_EQ(timeOfDayTarget(msOf(now), 50000, chosen(2026, 12, 8, 10, 0, 1).v).result, TimeOfDayTarget::Ok);
}

TEST(TimeOfDayTarget, RangeCountsFromNowWhateverTheUptime) {
  const SYSTEMTIME now = at(2026, 12, 8, 10, 0, 0);
  const uint32_t oneHour = 3600000;
  struct Case {
    Chosen target;
    uint64_t tick;
    TimeOfDayTarget::Result expected;
  } cases[] = {
      // 60 days is beyond the longest count-down.
      {chosen(2027, 2, 6, 10, 0, 0), 0, TimeOfDayTarget::OutOfRange},
      // 40 days is accepted whatever the uptime, also with the 32-bit tick count about to wrap.
      {chosen(2027, 1, 17, 10, 0, 0), 10 * 24 * oneHour, TimeOfDayTarget::Ok},
      {chosen(2027, 1, 17, 10, 0, 0), 0xFFFFFFFFull - 60000, TimeOfDayTarget::Ok},
      {chosen(2027, 1, 17, 10, 0, 0), 0x1000000000ull, TimeOfDayTarget::Ok},
      // The longest count-down (49 d 17 h 2 min 47.295 s) counts from now.
      {chosen(2027, 1, 27, 3, 2, 47), 0xFFFFFFFFull, TimeOfDayTarget::Ok},
      {chosen(2027, 1, 27, 3, 2, 48), 1000, TimeOfDayTarget::OutOfRange},
      // A year the calendar conversion cannot hold (the year field allows up to 32767).
      {chosen(32767, 1, 1, 0, 0, 0), 1000, TimeOfDayTarget::OutOfRange},
  };
  for (const Case& c : cases)
    EXPECT_EQ(timeOfDayTarget(msOf(now), c.tick, c.target.v).result, c.expected)
        << c.target.v[0] << "-" << c.target.v[1] << "-" << c.target.v[2] << " tick " << c.tick;
}

TEST(TimeOfDayCalendar, SecondsRoundTripAndRejectUnrepresentableYears) {
  int64_t s = localCalendarSeconds(2026, 12, 8, 23, 59, 59);
  ASSERT_NE(s, -1);
  EXPECT_EQ(localCalendarSeconds(2026, 12, 9, 0, 0, 0), s + 1);
  SYSTEMTIME back = localTimeOfSeconds(s + 1);
  EXPECT_EQ(back.wYear, 2026);
  EXPECT_EQ(back.wMonth, 12);
  EXPECT_EQ(back.wDay, 9);
  EXPECT_EQ(back.wHour, 0);
  EXPECT_EQ(localCalendarSeconds(0, 0, 0, 0, 0, 0), -1);
  EXPECT_EQ(localCalendarSeconds(32767, 12, 31, 0, 0, 0), -1);
}

// Slow to come up, as on a loaded machine: WM_SETFONT comes before the controls are made.
INT_PTR CALLBACK slowTimeOfDayDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETFONT) Sleep(400);
  return timeOfDayDialogProc(dialog, message, wParam, lParam);
}

TEST(DialogDriver, HandsTheDialogOverOnlyOnceItIsFilled) {
  wchar_t year[16] = L"";
  dialogtest::runDialogDriven(IDD_TIME_OF_DAY, slowTimeOfDayDialogProc, nullptr, [&](HWND d) {
    GetDlgItemTextW(d, IDC_TOD_YEAR, year, 16);
    PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_GT(_wtoi(year), 2000) << "read \"" << year << "\"";
}

std::wstring selectedText(HWND dialog, int id) {
  HWND box = GetDlgItem(dialog, id);
  LRESULT i = SendMessageW(box, CB_GETCURSEL, 0, 0);
  if (i == CB_ERR) return L"<none>";
  wchar_t text[32] = L"";
  SendMessageW(box, CB_GETLBTEXT, i, (LPARAM)text);
  return text;
}

TEST(TimeOfDayDialog, OpensAtTheCurrentTimeAndStoresTheChoiceOnOk) {
  SYSTEMTIME before;
  GetLocalTime(&before);
  std::wstring year, month, day, hour;
  LRESULT dayCount = 0, monthCount = 0, secondCount = 0;
  LRESULT yearRange = 0;
  for (WORD& w : timeOfDaySetting) w = 0;
  INT_PTR result = dialogtest::runDialogDriven(IDD_TIME_OF_DAY, timeOfDayDialogProc, nullptr, [&](HWND d) {
    wchar_t text[16];
    GetDlgItemTextW(d, IDC_TOD_YEAR, text, 16);
    year = text;
    month = selectedText(d, IDC_TOD_MONTH);
    day = selectedText(d, IDC_TOD_DAY);
    hour = selectedText(d, IDC_TOD_HOUR);
    monthCount = SendDlgItemMessageW(d, IDC_TOD_MONTH, CB_GETCOUNT, 0, 0);
    dayCount = SendDlgItemMessageW(d, IDC_TOD_DAY, CB_GETCOUNT, 0, 0);
    secondCount = SendDlgItemMessageW(d, IDC_TOD_SECOND, CB_GETCOUNT, 0, 0);
    yearRange = SendDlgItemMessageW(d, IDC_TOD_YEAR_SPIN, UDM_GETRANGE, 0, 0);
    // 31 April 2030 at 7:08:09 is accepted as chosen; the start carries it over.
    SetDlgItemTextW(d, IDC_TOD_YEAR, L"2030");
    SendDlgItemMessageW(d, IDC_TOD_MONTH, CB_SETCURSEL, 3, 0);
    SendDlgItemMessageW(d, IDC_TOD_DAY, CB_SETCURSEL, 30, 0);
    SendDlgItemMessageW(d, IDC_TOD_HOUR, CB_SETCURSEL, 7, 0);
    SendDlgItemMessageW(d, IDC_TOD_MINUTE, CB_SETCURSEL, 8, 0);
    SendDlgItemMessageW(d, IDC_TOD_SECOND, CB_SETCURSEL, 9, 0);
    PostMessageW(d, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(year, std::to_wstring(before.wYear));
  EXPECT_EQ(month, std::to_wstring(before.wMonth));
  EXPECT_EQ(day, std::to_wstring(before.wDay));
  EXPECT_EQ(hour.empty(), false);
  EXPECT_EQ(monthCount, 12);
  EXPECT_EQ(dayCount, 31);
  EXPECT_EQ(secondCount, 60);
  EXPECT_EQ(LOWORD(yearRange), 32767);
  EXPECT_EQ(HIWORD(yearRange), before.wYear);
  const WORD expected[6] = {2030, 4, 31, 7, 8, 9};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(timeOfDaySetting[i], expected[i]) << "field " << i;
}

TEST(TimeOfDayDialog, CancelStoresNothing) {
  for (WORD& w : timeOfDaySetting) w = 7;
  INT_PTR result = dialogtest::runDialogDriven(IDD_TIME_OF_DAY, timeOfDayDialogProc, nullptr,
                             [](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_EQ(result, 0);
  for (WORD w : timeOfDaySetting) EXPECT_EQ(w, 7);
}

}  // namespace
