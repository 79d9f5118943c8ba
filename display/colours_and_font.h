// The text and background colours and the read-out's font.
#pragma once
#include <windows.h>

extern COLORREF customColors[16];            // custom slots of the colour chooser
extern COLORREF transparentKeyColor;         // the frameless window's see-through colour
extern HBRUSH backgroundBrush;               // solid brush of backgroundColour
extern HBRUSH keyColorBrush;                 // solid brush of transparentKeyColor

// The key colour moved off the text colour: XOR 0x010101 when their low 24 bits are equal.
COLORREF keyColourAvoiding(COLORREF key, COLORREF text);

// The digits' colour of a paused read-out: halfway between the text colour and the background
// colour, or black or white when the background is about as light as the text; never the key.
COLORREF pausedTextColour(COLORREF text, COLORREF background, COLORREF key);

using ColourApply = void (*)(HWND window, COLORREF colour);

// The colour chooser from initial; on OK runs apply with the chosen colour.
void pickColour(HWND owner, COLORREF initial, ColourApply apply);
// New text colour; moves the key colour off it first when they would be equal.
void applyTextColour(HWND window, COLORREF colour);
// New background colour and brush (also for the background window's class).
void applyBackgroundColour(HWND window, COLORREF colour);
// The font chooser (fixed-pitch screen fonts); the chosen size is not used.
void chooseFont(HWND owner);
// Takes face, weight and italic flag of a chosen font, repaints and writes them.
void applyFont(HWND owner, const LOGFONTW& font);
