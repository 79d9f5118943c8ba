// The background bitmap, its colour-keyed copy for the frameless form, and dialog 205.
#pragma once
#include <windows.h>

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
