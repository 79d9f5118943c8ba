#include "timers/time_of_day.h"

#include <commctrl.h>

#include <cwchar>
#include <new>

#include "common/dialog_helpers.h"
#include "common/message_async.h"
#include "common/settings.h"
#include "common/threads.h"
#include "common/timer_state.h"
#include "res/resource.h"
#include "timers/countdown.h"
#include "timers/timer_shell.h"

TimeOfDayTarget timeOfDayTarget(int64_t nowMs, uint64_t tick, const WORD target[6]) {
  TimeOfDayTarget result{TimeOfDayTarget::OutOfRange, 0.0, {}, 0};
  int64_t targetSeconds = localCalendarSeconds(target[0], target[1], target[2], target[3], target[4], target[5]);
  // A year the calendar conversion cannot hold is out of range, not a moment in 1969.
  if (targetSeconds == -1) return result;
  const double left = (double)(targetSeconds * 1000 - nowMs);
  if (left > LONGEST_COUNTDOWN_MS) return result;
  if (left <= 0.0) {
    result.result = TimeOfDayTarget::Past;
    return result;
  }
  result.result = TimeOfDayTarget::Ok;
  result.endTick = left + (double)tick;
  result.endUtcMs = targetSeconds * 1000;
  result.normalised = localTimeOfSeconds(targetSeconds);
  return result;
}

int64_t followTimeZone() {
  wchar_t zone[128];
  currentTimeZoneKey(zone, 128);
  if (!zone[0] || wcscmp(zone, runTimeZone) == 0) return targetUtcMs;
  if (runTimeZone[0]) {
    rereadTimeZone();  // the C runtime reads local times in the zone it read last
    targetUtcMs = timeOfDayEndInZone(runTimeZone, zone, targetUtcMs, targetTime);
  }
  wcscpy_s(runTimeZone, zone);
  saveTargetTime(nullptr);
  return targetUtcMs;
}

namespace {

constexpr const wchar_t* kCaption = L"Velmora";

struct DateList {
  int id;
  int first, last;
};
// Month, day (always 31 entries), hour, minute, second.
constexpr DateList kLists[5] = {
    {IDC_TOD_MONTH, 1, 12}, {IDC_TOD_DAY, 1, 31}, {IDC_TOD_HOUR, 0, 23},
    {IDC_TOD_MINUTE, 0, 59}, {IDC_TOD_SECOND, 0, 59}};

void fillList(HWND dialog, const DateList& list, int selected) {
  HWND box = GetDlgItem(dialog, list.id);
  wchar_t text[8];
  for (int v = list.first; v <= list.last; ++v) {
    swprintf_s(text, 8, L"%d", v);
    SendMessageW(box, CB_ADDSTRING, 0, (LPARAM)text);
  }
  swprintf_s(text, 8, L"%d", selected);
  LRESULT index = SendMessageW(box, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text);
  SendMessageW(box, CB_SETCURSEL, index == CB_ERR ? 0 : index, 0);
}

int listValue(HWND dialog, int id) {
  HWND box = GetDlgItem(dialog, id);
  LRESULT index = SendMessageW(box, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR || SendMessageW(box, CB_GETLBTEXTLEN, index, 0) >= 16) return 0;
  wchar_t text[16] = L"";
  SendMessageW(box, CB_GETLBTEXT, index, (LPARAM)text);
  return _wtoi(text);
}

void onInitDialog(HWND dialog) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  setUpDown(dialog, IDC_TOD_YEAR_SPIN, now.wYear, 32767, now.wYear);
  const int current[5] = {now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  for (int i = 0; i < 5; ++i) fillList(dialog, kLists[i], current[i]);
}

void onOk(HWND dialog) {
  timeOfDaySetting[0] = (WORD)(upDownPosition(dialog, IDC_TOD_YEAR_SPIN) & 0xFFFF);
  for (int i = 0; i < 5; ++i) timeOfDaySetting[i + 1] = (WORD)listValue(dialog, kLists[i].id);
  EndDialog(dialog, 1);
}

void showStartConfirmation(HWND window) {
  if (!START_SYURYO_CHECK) return;
  if (!timerShell.balloon(window, L"カウントダウンスタート", L"確認"))
    showMessageAsync(window, L"カウントダウンスタート", kCaption, MB_OK);
}

void refuse(HWND window, const wchar_t* text) {
  InvalidateRect(window, nullptr, FALSE);
  MessageBoxW(window, text, kCaption, MB_OK);
}

}  // namespace

INT_PTR CALLBACK timeOfDayDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  static const OkCancelDialog handlers = {onInitDialog, onOk};
  return okCancelDialogMessage(dialog, message, wParam, handlers);
}

bool startTimeOfDayTimer(HWND window) {
  TimeOfDayStart* start = new (std::nothrow) TimeOfDayStart{window, {}};
  if (!start) return false;
  for (int i = 0; i < 6; ++i) start->target[i] = timeOfDaySetting[i];
  if (startThread(timeOfDayStartThread, start)) return true;
  delete start;
  return false;
}

DWORD WINAPI timeOfDayStartThread(LPVOID parameter) {
  const TimeOfDayStart start = *static_cast<TimeOfDayStart*>(parameter);
  delete static_cast<TimeOfDayStart*>(parameter);
  HWND window = start.window;
  // A running timer is stopped first (after a yes), so a refused target leaves none running.
  if (!claimRunReplacing(window)) return 0;
  rereadTimeZone();
  lastTick = GetTickCount64();
  const int64_t now = calendarNowMs();
  TimeOfDayTarget target = timeOfDayTarget(now, lastTick, start.target);
  if (target.result != TimeOfDayTarget::Ok) {
    runActive = 0;
    refuse(window, target.result == TimeOfDayTarget::Past ? L"設定された時刻は過去です" : L"設定できる時刻の範囲を超えています");
    return 0;
  }
  if (!claimTargetTick((uint64_t)target.endTick)) {
    runActive = 0;
    return 0;
  }
  repeatCount = 0;
  if (!startCountdown(window, TIMER_KIND_TIME_OF_DAY, target.normalised, target.endUtcMs)) return 0;
  showStartConfirmation(window);
  return 0;
}
