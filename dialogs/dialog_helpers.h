// Helpers for the patterns every dialog repeats.
#pragma once
#include <windows.h>

// Up-down control with its buddy edit: range and position.
void setUpDown(HWND dialog, int upDownId, int low, int high, int position);
// The up-down's position; *error set when the control reports one (buddy text out of range).
int upDownPosition(HWND dialog, int upDownId, bool* error = nullptr);
// Enables or disables the listed controls.
void enableControls(HWND dialog, const int* ids, int count, bool enable);
template <int N>
void enableControls(HWND dialog, const int (&ids)[N], bool enable) {
  enableControls(dialog, ids, N, enable);
}
// Check box state as 0/1, and setting it.
int isChecked(HWND dialog, int id);
void setChecked(HWND dialog, int id, int checked);
