#include "display/transparency.h"

#include <commctrl.h>

#include "common/dialog_helpers.h"
#include "common/settings.h"
#include "display/background_image.h"
#include "display/colours_and_font.h"
#include "display/display_shell.h"
#include "display/row_switch_ratio.h"
#include "res/resource.h"

namespace {

constexpr DWORD kFrameBits = WS_CAPTION | WS_THICKFRAME;

const int alphaControls[] = {IDC_ALPHA_VALUE, IDC_ALPHA_SPIN};
const int imageKeyControls[] = {IDC_IMAGE_KEY_R, IDC_IMAGE_KEY_R_SPIN, IDC_IMAGE_KEY_G,
                                IDC_IMAGE_KEY_G_SPIN, IDC_IMAGE_KEY_B, IDC_IMAGE_KEY_B_SPIN};

void onTransparencyInit(HWND dialog) {
  setChecked(dialog, IDC_ALPHA_ENABLE, ENABLE_ALPHA);
  setUpDown(dialog, IDC_ALPHA_SPIN, 0, 255, WIN_ALPHA & 0xFF);
  setChecked(dialog, IDC_IMAGE_KEY_ENABLE, BG_IMG_TOUKA);
  COLORREF key = bgImageKeyColour;
  setUpDown(dialog, IDC_IMAGE_KEY_R_SPIN, 0, 255, GetRValue(key));
  setUpDown(dialog, IDC_IMAGE_KEY_G_SPIN, 0, 255, GetGValue(key));
  setUpDown(dialog, IDC_IMAGE_KEY_B_SPIN, 0, 255, GetBValue(key));
}

void onTransparencyOk(HWND dialog) {
  // Read everything first, then store: a value typed outside 0..255 is clamped into it.
  int alphaOn = isChecked(dialog, IDC_ALPHA_ENABLE);
  int alpha = dialogFieldNumber(dialog, IDC_ALPHA_VALUE, 0, 255, WIN_ALPHA & 0xFF);
  int imageKeyOn = isChecked(dialog, IDC_IMAGE_KEY_ENABLE);
  COLORREF key = bgImageKeyColour;
  int r = dialogFieldNumber(dialog, IDC_IMAGE_KEY_R, 0, 255, GetRValue(key));
  int g = dialogFieldNumber(dialog, IDC_IMAGE_KEY_G, 0, 255, GetGValue(key));
  int b = dialogFieldNumber(dialog, IDC_IMAGE_KEY_B, 0, 255, GetBValue(key));
  ENABLE_ALPHA = alphaOn;
  WIN_ALPHA = alpha;
  BG_IMG_TOUKA = imageKeyOn;
  BG_IMG_TOUKA_R = r;
  BG_IMG_TOUKA_G = g;
  BG_IMG_TOUKA_B = b;
  bgImageKeyColour = colourFromComponents(r, g, b);
  EndDialog(dialog, 1);
}

}  // namespace

void applyLayeredAttributes(HWND window) {
  // A framed window stays opaque, also when it is layered in the desktop-embedded mode.
  if (isFramed(window)) return;
  if (ENABLE_ALPHA)
    SetLayeredWindowAttributes(window, transparentKeyColor, (BYTE)WIN_ALPHA, LWA_COLORKEY | LWA_ALPHA);
  else
    SetLayeredWindowAttributes(window, transparentKeyColor, 0, LWA_COLORKEY);
}

bool isFramed(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & kFrameBits) != 0; }

WindowForm toggledForm(DWORD style, DWORD exStyle, int untouchable, int zOrder) {
  WindowForm f{style, exStyle, !(untouchable == 0 && zOrder == 2), false, false};
  if (style & kFrameBits) {
    f.style = style & ~kFrameBits;
    if (untouchable != 0) f.exStyle |= WS_EX_TRANSPARENT;
    // Embedded in the desktop the window is layered already.
    if (zOrder != 2) f.exStyle |= WS_EX_LAYERED;
    f.applyAttributes = true;
  } else {
    f.style = style | kFrameBits;
    if (untouchable != 0) f.exStyle &= ~WS_EX_TRANSPARENT;
    if (zOrder == 2)
      f.clearAttributes = true;  // stays layered, but opaque
    else
      f.exStyle &= ~WS_EX_LAYERED;
  }
  if (!f.writeExStyle) f.exStyle = exStyle;
  return f;
}

void toggleWindowForm(HWND window) {
  DWORD style = GetWindowLongW(window, GWL_STYLE);
  DWORD exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  WindowForm f = toggledForm(style, exStyle, displayShell.clickThroughMode(), Z_ORDER);
  SetWindowLongW(window, GWL_STYLE, (LONG)f.style);
  if (f.clearAttributes) SetLayeredWindowAttributes(window, 0, 0, 0);
  if (f.writeExStyle) SetWindowLongW(window, GWL_EXSTYLE, (LONG)f.exStyle);
  if (f.applyAttributes) applyLayeredAttributes(window);
  // The window rectangle stays; the client area grows or shrinks by the frame.
  SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
  InvalidateRect(window, nullptr, FALSE);
}

INT_PTR CALLBACK transparencyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  static const CheckBoxGroup groups[] = {{IDC_ALPHA_ENABLE, alphaControls},
                                         {IDC_IMAGE_KEY_ENABLE, imageKeyControls}};
  static const OkCancelDialog handlers = {onTransparencyInit, onTransparencyOk, {}, groups};
  return okCancelDialogMessage(dialog, message, wParam, handlers);
}

void applyTransparency(HWND window) {
  if (!isFramed(window)) applyLayeredAttributes(window);
  loadBackgroundImage();
  InvalidateRect(window, nullptr, FALSE);
  const IntKeyValue keys[] = {
      {L"ENABLE_ALPHA", ENABLE_ALPHA},     {L"WIN_ALPHA", WIN_ALPHA},
      {L"BG_IMG_TOUKA", BG_IMG_TOUKA},     {L"BG_IMG_TOUKA_R", BG_IMG_TOUKA_R},
      {L"BG_IMG_TOUKA_G", BG_IMG_TOUKA_G}, {L"BG_IMG_TOUKA_B", BG_IMG_TOUKA_B},
  };
  writeOptionGroup(window, keys, 6);
}
