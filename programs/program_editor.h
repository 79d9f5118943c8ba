// Dialog 210, the program timer editor.
#pragma once
#include <windows.h>

INT_PTR CALLBACK programEditorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
