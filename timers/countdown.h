// The count-down loop shared by every timer kind, the interval timer's start, the start/stop
// toggle, the stop confirmation and the interval dialog (201).
#pragma once
#include <windows.h>
#include <cstdint>

struct ClickTimingRecord;

DWORD WINAPI intervalStartThread(LPVOID window);
DWORD WINAPI countdownThread(LPVOID window);
DWORD WINAPI stopConfirmThread(LPVOID window);
// Command 1 / F5: start the interval timer when idle, otherwise ask to stop.
void startStopToggleFromWindow(HWND window);
// The same toggle as a single-click action (runs on the click-timing thread).
void startStopToggleFromClick(ClickTimingRecord* record);
INT_PTR CALLBACK intervalDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
