#include "display/background_image.h"

HBITMAP backgroundImage = nullptr;
HBITMAP keyedBackgroundImage = nullptr;
SIZE backgroundImageSize{};

void loadBackgroundImage() {}
HBITMAP makeKeyedImage(HBITMAP) { return nullptr; }
void deleteBackgroundImages() {
  if (backgroundImage) DeleteObject(backgroundImage);
  if (keyedBackgroundImage) DeleteObject(keyedBackgroundImage);
  backgroundImage = keyedBackgroundImage = nullptr;
}
INT_PTR CALLBACK backgroundImageDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
void applyBackgroundImage(HWND) {}
