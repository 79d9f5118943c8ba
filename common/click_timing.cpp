#include "common/click_timing.h"

#include "common/threads.h"

ClickTimingRecord middleClickRecord, trayLeftClickRecord, trayMiddleClickRecord;

namespace {

DWORD WINAPI clickTimingThread(LPVOID parameter) {
  auto* record = static_cast<ClickTimingRecord*>(parameter);
  DWORD waited = GetDoubleClickTime();
  Sleep(waited);
  if (noDoubleClickSince(record->lastDoubleClickTick, GetTickCount64(), waited) && record->singleClickAction)
    record->singleClickAction(record);
  return 0;
}

}  // namespace

bool isFreshClick(ULONGLONG now, ULONGLONG lastClickTick, DWORD doubleClickTime) {
  return now - lastClickTick > doubleClickTime;
}

bool noDoubleClickSince(ULONGLONG lastDoubleClickTick, ULONGLONG now, DWORD waited) {
  return lastDoubleClickTick + waited < now;
}

void onSingleClick(ClickTimingRecord* record) {
  const ULONGLONG now = GetTickCount64();
  if (!isFreshClick(now, record->lastClickTick, GetDoubleClickTime())) return;
  record->lastClickTick = now;
  startThread(clickTimingThread, record);
}

void onDoubleClick(ClickTimingRecord* record) { record->lastDoubleClickTick = GetTickCount64(); }
