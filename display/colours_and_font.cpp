#include "display/colours_and_font.h"

#include <cstdlib>
#include <cwchar>

#include "common/late_libraries.h"
#include "common/settings.h"
#include "display/background_image.h"
#include "display/transparency.h"
#include "display/z_order.h"

COLORREF customColors[16];
COLORREF transparentKeyColor = RGB(111, 111, 111);
HBRUSH backgroundBrush = nullptr;
HBRUSH keyColorBrush = nullptr;

COLORREF keyColourAvoiding(COLORREF key, COLORREF text) {
  if ((key & 0xFFFFFF) == (text & 0xFFFFFF)) return key ^ 0x010101;
  return key;
}

namespace {

int lightness(COLORREF c) { return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000; }

}  // namespace

COLORREF pausedTextColour(COLORREF text, COLORREF background, COLORREF key) {
  // A background about as light as the text would leave a halfway colour that looks like the
  // text itself (white digits over a see-through window whose background is still white).
  constexpr int kClearlyApart = 96;
  const int textLightness = lightness(text);
  if (std::abs(textLightness - lightness(background)) < kClearlyApart)
    background = textLightness < 128 ? RGB(255, 255, 255) : RGB(0, 0, 0);
  const COLORREF half = RGB((GetRValue(text) + GetRValue(background)) / 2, (GetGValue(text) + GetGValue(background)) / 2,
                            (GetBValue(text) + GetBValue(background)) / 2);
  // Digits in the key colour would be holes in the see-through window, clicks going through.
  return keyColourAvoiding(half, key);
}

namespace {

void showBrushFailure(HWND window) {
  MessageBoxW(window, L"新しい背景描画用ブラシの作成に失敗しました", L"Velmora", MB_ICONERROR);
}

// The colour's three components into the settings r, g and b, the window repainted, and the
// components written under their keys; only the first write is tested.
void takeColour(HWND window, COLORREF colour, std::atomic<int>* const (&components)[3],
                const wchar_t* const (&keys)[3]) {
  const int values[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
  for (int i = 0; i < 3; ++i) *components[i] = values[i];
  InvalidateRect(window, nullptr, FALSE);
  const IntKeyValue written[] = {{keys[0], values[0]}, {keys[1], values[1]}, {keys[2], values[2]}};
  writeOptionGroup(window, written, 3);
}

}  // namespace

void pickColour(HWND owner, COLORREF initial, ColourApply apply) {
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  cc.rgbResult = initial;
  cc.lpCustColors = customColors;
  cc.Flags = CC_RGBINIT;
  if (!comdlgChooseColor(&cc)) return;
  apply(owner, cc.rgbResult);
}

void applyTextColour(HWND window, COLORREF colour) {
  COLORREF newKey = keyColourAvoiding(transparentKeyColor, colour);
  if (newKey != transparentKeyColor) {
    HBRUSH brush = CreateSolidBrush(newKey);
    if (!brush) {
      showBrushFailure(window);
      return;
    }
    transparentKeyColor = newKey;
    HBRUSH old = keyColorBrush;
    keyColorBrush = brush;
    if (old) DeleteObject(old);
    applyLayeredAttributes(window);
    loadBackgroundImage();  // the keyed copy depends on the key colour
  }
  textColour = colour & 0xFFFFFF;
  takeColour(window, colour, {&TXT_COLOR_R, &TXT_COLOR_G, &TXT_COLOR_B},
             {L"TXT_COLOR_R", L"TXT_COLOR_G", L"TXT_COLOR_B"});
}

void applyBackgroundColour(HWND window, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  if (!brush) {
    showBrushFailure(window);
    return;
  }
  HBRUSH old = backgroundBrush;
  backgroundBrush = brush;
  refreshBackgroundWindowBrush();
  if (old) DeleteObject(old);
  backgroundColour = colour & 0xFFFFFF;
  takeColour(window, colour, {&BG_COLOR_R, &BG_COLOR_G, &BG_COLOR_B},
             {L"BG_COLOR_R", L"BG_COLOR_G", L"BG_COLOR_B"});
}

void chooseFont(HWND owner) {
  LOGFONTW font{};
  font.lfHeight = 20;
  font.lfWeight = FONT_WEIGHT;
  font.lfItalic = (BYTE)FONT_ITALIC;
  wcsncpy_s(font.lfFaceName, FONT_NAME, _TRUNCATE);
  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = owner;
  cf.lpLogFont = &font;
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_FIXEDPITCHONLY;
  if (!comdlgChooseFont(&cf)) return;
  applyFont(owner, font);
}

void applyFont(HWND owner, const LOGFONTW& font) {
  wcsncpy_s(FONT_NAME, font.lfFaceName, _TRUNCATE);
  FONT_WEIGHT = font.lfWeight;
  FONT_ITALIC = font.lfItalic;
  // The size chosen in the dialog is not used: the painter sizes the font from the window.
  InvalidateRect(owner, nullptr, FALSE);
  if (!writeSettingString(L"OPTION_SETTING", L"FONT_NAME", FONT_NAME)) {
    showSettingsWriteFailure(owner);
    return;
  }
  writeOptionInt(L"FONT_WEIGHT", FONT_WEIGHT);
  writeOptionInt(L"FONT_ITALIC", FONT_ITALIC);
}
