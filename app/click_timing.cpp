#include "app/click_timing.h"

ClickTimingRecord middleClickRecord, trayLeftClickRecord, trayMiddleClickRecord;

namespace {

DWORD WINAPI clickTimingThread(LPVOID parameter) {
  auto* record = static_cast<ClickTimingRecord*>(parameter);
  DWORD waited = GetDoubleClickTime();
  Sleep(waited);
  if (noDoubleClickSince(record->lastDoubleClickTick, GetTickCount(), waited) && record->singleClickAction)
    record->singleClickAction(record);
  return 0;
}

}  // namespace

bool isFreshClick(DWORD now, DWORD lastClickTick, DWORD doubleClickTime) {
  return (DWORD)(now - lastClickTick) > doubleClickTime;
}

bool noDoubleClickSince(DWORD lastDoubleClickTick, DWORD now, DWORD waited) {
  return lastDoubleClickTick < (DWORD)(now - waited);
}

void onSingleClick(ClickTimingRecord* record) {
  DWORD now = GetTickCount();
  if (!isFreshClick(now, record->lastClickTick, GetDoubleClickTime())) return;
  record->lastClickTick = now;
  HANDLE thread = CreateThread(nullptr, 0, clickTimingThread, record, 0, nullptr);
  if (thread) CloseHandle(thread);
}

void onDoubleClick(ClickTimingRecord* record) { record->lastDoubleClickTick = GetTickCount(); }
