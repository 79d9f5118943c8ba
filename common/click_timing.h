// Telling single clicks from double clicks: the single-click action waits one double-click
// time on a thread of its own and runs only when no double click came meanwhile.
#pragma once
#include <windows.h>
#include <atomic>

struct ClickTimingRecord;
using ClickAction = void (*)(ClickTimingRecord* record);

struct ClickTimingRecord {
  HWND window = nullptr;
  std::atomic<ULONGLONG> lastDoubleClickTick{0};  // GetTickCount64 readings
  std::atomic<ULONGLONG> lastClickTick{0};
  ClickAction singleClickAction = nullptr;
};

extern ClickTimingRecord middleClickRecord, trayLeftClickRecord, trayMiddleClickRecord;

// True when a button-up at `now` is a fresh click (not the second click of a double click).
bool isFreshClick(ULONGLONG now, ULONGLONG lastClickTick, DWORD doubleClickTime);
// True when the waiting thread, waking at `now` after `waited` ms, saw no double click.
bool noDoubleClickSince(ULONGLONG lastDoubleClickTick, ULONGLONG now, DWORD waited);
// Button-up on the record: starts the waiting thread for a fresh click.
void onSingleClick(ClickTimingRecord* record);
// Double click on the record: the pending single click will do nothing.
void onDoubleClick(ClickTimingRecord* record);
