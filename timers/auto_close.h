// Closing the program by itself after a finished timer, and the grace time dialog (203).
#pragma once
#include <windows.h>

void triggerAutoClose(HWND window);
INT_PTR CALLBACK autoCloseDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
