#include "display/colours_and_font.h"

void pickColour(HWND, COLORREF, ColourApply) {}
void applyTextColour(HWND, COLORREF) {}
void applyBackgroundColour(HWND, COLORREF) {}
void chooseFont(HWND) {}
