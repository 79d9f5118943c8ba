// Dialog 200, the version information with its link.
#pragma once
#include <windows.h>

INT_PTR CALLBACK versionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
