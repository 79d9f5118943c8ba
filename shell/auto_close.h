// Closing the program by itself after a finished timer, and the grace time dialog (203).
#pragma once
#include <windows.h>
#include <cstdint>

// A timer finished without a repeat: start the auto-close countdown if the settings ask for it.
void triggerAutoClose(HWND window);
DWORD WINAPI autoCloseThread(LPVOID window);
INT_PTR CALLBACK autoCloseDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Whether a finished timer of this kind closes the program (index 0 never, 1 by kind, 2 always).
bool autoCloseApplies(int index, bool interval, bool timeOfDay, bool program, int kind);
// The title for `leftMs` of grace still to go, and how long to sleep until it changes.
struct AutoCloseTitle {
  wchar_t text[128];
  DWORD pauseMs;
};
AutoCloseTitle autoCloseTitle(uint32_t leftMs);
