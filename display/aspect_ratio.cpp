#include "display/aspect_ratio.h"

INT_PTR CALLBACK aspectDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
void applyAspectRatios(HWND) {}
