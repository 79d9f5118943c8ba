// Normal, always on top, or embedded in the desktop; and the background window of
// click-through mode 2 ("VELMORA_BG").
#pragma once
#include <windows.h>

extern HWND backgroundWindow;

// Commands 11, 12, 13.
void setZOrder(HWND window, int command);
BOOL embedInDesktop(HWND window);
BOOL leaveDesktop(HWND window);
HWND createBackgroundWindow(HWND mainWindow);
void refreshBackgroundWindowBrush();
