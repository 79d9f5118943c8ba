#include "timers/auto_close.h"

void triggerAutoClose(HWND) {}
INT_PTR CALLBACK autoCloseDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
