// Dialog 207: the window shapes at which the read-out switches between one and two rows.
#pragma once
#include <windows.h>

INT_PTR CALLBACK aspectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void applyAspectRatios(HWND window);
