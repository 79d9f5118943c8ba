#include "display/transparency.h"

#include "app/settings.h"
#include "app/startup.h"

void applyLayeredAttributes(HWND window) {
  if (ENABLE_ALPHA)
    SetLayeredWindowAttributes(window, transparentKeyColor, (BYTE)WIN_ALPHA, LWA_COLORKEY | LWA_ALPHA);
  else
    SetLayeredWindowAttributes(window, transparentKeyColor, 0, LWA_COLORKEY);
}
void toggleWindowForm(HWND) {}
INT_PTR CALLBACK transparencyDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
void applyTransparency(HWND) {}
