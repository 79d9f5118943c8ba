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
// Deletes both bitmaps and their stretched copy (WM_DESTROY).
void deleteBackgroundImages();
// A memory DC holding `source` (one of the two bitmaps) stretched to width x height, made
// compatible with dc and kept until another size or source is asked for or the bitmaps are
// rebuilt; null when it cannot be made.
HDC stretchedBackgroundImage(HDC dc, HBITMAP source, int width, int height);
// Goes up at every rebuild of the bitmaps, so that a kept frame can tell a new image from
// an old one that had the same handle.
unsigned backgroundImageVersion();
INT_PTR CALLBACK backgroundImageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void applyBackgroundImage(HWND window);

// The stand-by colour that image pixels of the window key colour key take, so they stay
// visible: key with its lowest red bit flipped, or its lowest green bit when that would be
// the image key colour. Both COLORREFs.
COLORREF standByColour(COLORREF windowKey, COLORREF imageKey);
// The keyed copy's pixel rule on 32-bit DIB pixels (0x00RRGGBB): pixels of the window key
// become the stand-by colour, then pixels of the image key become the window key.
void keyPixels(uint32_t* pixels, size_t count, COLORREF windowKey, COLORREF imageKey);
