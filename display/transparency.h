// The frameless see-through form: key colour, opacity, switching the frame, dialog 206.
#pragma once
#include <windows.h>

// The one way the key colour and opacity are applied to the layered window; a framed window
// is left as it is.
void applyLayeredAttributes(HWND window);
// Framed: the style has a caption or a sizing border; frameless otherwise.
bool isFramed(HWND window);
// F3 / double click: framed <-> frameless.
void toggleWindowForm(HWND window);

// The styles toggleWindowForm gives a window, from the styles it has (pure, for tests).
struct WindowForm {
  DWORD style, exStyle;
  bool writeExStyle;       // SetWindowLongW(GWL_EXSTYLE) is called
  bool clearAttributes;    // SetLayeredWindowAttributes(0, 0, 0): layered, neither key nor alpha
  bool applyAttributes;    // applyLayeredAttributes
};
WindowForm toggledForm(DWORD style, DWORD exStyle, int untouchable, int zOrder);

INT_PTR CALLBACK transparencyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void applyTransparency(HWND window);
