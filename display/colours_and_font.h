// The text and background colours and the read-out's font.
#pragma once
#include <windows.h>

using ColourApply = void (*)(HWND window, COLORREF colour);

// The colour chooser from initial; on OK runs apply with the chosen colour.
void pickColour(HWND owner, COLORREF initial, ColourApply apply);
void applyTextColour(HWND window, COLORREF colour);
void applyBackgroundColour(HWND window, COLORREF colour);
// The font chooser (fixed-pitch screen fonts); the chosen size is not used.
void chooseFont(HWND owner);
