// The frameless see-through form: key colour, opacity, switching the frame, dialog 206.
#pragma once
#include <windows.h>

// The one way the key colour and opacity are applied to the layered window.
void applyLayeredAttributes(HWND window);
// F3 / double click: framed <-> frameless.
void toggleWindowForm(HWND window);
INT_PTR CALLBACK transparencyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void applyTransparency(HWND window);
