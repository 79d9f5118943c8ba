// Program timer files: the UTF-16 step lists beside the program, their names, moving a slot
// up or down, and the rename dialog (209).
#pragma once
#include <windows.h>

// Frees the loaded step list (at exit).
void freeProgramSteps();
void moveProgramTimerUp(HWND window);
void moveProgramTimerDown(HWND window);
INT_PTR CALLBACK renameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
