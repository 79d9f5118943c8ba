// Dialog 211, the program step editor: one step's wait, sound and message, written straight
// into the program timer editor's list view.
#pragma once
#include <windows.h>
#include <cstddef>

extern int stepEditMode;     // 1048 edit, 1049 add, 1050 insert (the dialog's parameter)
extern int stepFilterIndex;  // sound chooser filter last used here; -1 until the first browse

// The wait after one up-down click: delta < 0 is the up arrow (+1000, at most 4294967295),
// delta > 0 the down arrow (-1000, at least 1).
double stepWaitAfterDelta(double wait, int delta);
// The wait box's text on OK: below 1 gives "1", above 4294967295 gives "4294967295",
// otherwise the value without decimals.
void normalisedWaitText(double wait, wchar_t* text, size_t size);

INT_PTR CALLBACK stepEditorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
