// The background bitmap, its colour-keyed copy for the frameless form, and dialog 205.
#pragma once
#include <windows.h>
#include <cstdint>

extern HBITMAP backgroundImage;
extern HBITMAP keyedBackgroundImage;
extern SIZE backgroundImageSize;

// (Re)builds both bitmaps from BG_IMG_FILE; the old ones are deleted after the new are made.
void loadBackgroundImage();
// The copy of source with the image key colour turned into the window's key colour.
HBITMAP makeKeyedImage(HBITMAP source);
// Deletes both bitmaps (WM_DESTROY).
void deleteBackgroundImages();
INT_PTR CALLBACK backgroundImageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void applyBackgroundImage(HWND window);

// The stand-by colour that image pixels of the window key colour key take, so they stay
// visible: key with its lowest red bit flipped, or its lowest green bit when that would be
// the image key colour. Both COLORREFs.
COLORREF standByColour(COLORREF windowKey, COLORREF imageKey);
// The keyed copy's pixel rule on 32-bit DIB pixels (0x00RRGGBB): pixels of the window key
// become the stand-by colour, then pixels of the image key become the window key.
void keyPixels(uint32_t* pixels, size_t count, COLORREF windowKey, COLORREF imageKey);
