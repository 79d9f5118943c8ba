// The time-of-day timer: dialog 202 and its start routine.
#pragma once
#include <windows.h>

INT_PTR CALLBACK timeOfDayDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
DWORD WINAPI timeOfDayStartThread(LPVOID window);
