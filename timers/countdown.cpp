#include "timers/countdown.h"

#include "app/click_timing.h"
#include "timers/timer_state.h"

DWORD WINAPI intervalStartThread(LPVOID) { return 0; }
DWORD WINAPI countdownThread(LPVOID) { return 0; }
DWORD WINAPI stopConfirmThread(LPVOID) { return 0; }
void startStopToggleFromWindow(HWND) {}
void startStopToggleFromClick(ClickTimingRecord*) {}
INT_PTR CALLBACK intervalDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
