#include "timers/time_of_day.h"

INT_PTR CALLBACK timeOfDayDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
DWORD WINAPI timeOfDayStartThread(LPVOID) { return 0; }
