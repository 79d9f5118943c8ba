// Dialog 207: the window shapes at which the read-out switches between one and two rows.
#pragma once
#include <windows.h>

INT_PTR CALLBACK aspectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void applyAspectRatios(HWND window);

// The number a user typed into a numeric dialog field: an optional sign and digits (blanks
// around them allowed) clamped to lo..hi; text that is no number (empty, letters) keeps
// current, the value the setting has, clamped the same way.
int dialogNumber(const wchar_t* text, int lo, int hi, int current);
// dialogNumber for an edit control of a dialog.
int dialogFieldNumber(HWND dialog, int editId, int lo, int hi, int current);
