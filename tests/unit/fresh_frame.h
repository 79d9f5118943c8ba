// The frame composed afresh, the way every paint made it before the back buffer was kept: a
// bitmap made for the frame, fonts made for it and deleted after it, and the background
// image stretched straight into it, with the DC's own stretch mode unless one is given. The
// painter's frames are compared with it pixel by pixel, and the paint benchmark times it as
// "before". (The painter stretches with COLORONCOLOR; an enlarged image comes out the same
// in every mode, a shrunk one only in that one.)
#pragma once
#include <windows.h>

#include "common/settings.h"
#include "display/background_image.h"
#include "display/colours_and_font.h"
#include "display/gdi_holders.h"
#include "display/painter.h"

inline void composeFreshFrame(HDC target, int W, int H, const FrameInputs& in, int stretchMode = 0) {
  MemoryDC memoryDC(target);
  GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(target, W, H));
  if (!memoryDC.get() || !bitmap) return;
  HDC dc = memoryDC.get();
  SelectedObject selected(dc, bitmap.get());

  HBITMAP source = nullptr;
  if (ENABLE_BG_IMG && backgroundImage) {
    if (in.framed)
      source = backgroundImage;
    else if (BG_IMG_TOUKA && keyedBackgroundImage)
      source = keyedBackgroundImage;
  }
  if (source) {
    MemoryDC imageDC(dc);
    SelectedObject image(imageDC.get(), source);
    if (stretchMode) SetStretchBltMode(dc, stretchMode);
    StretchBlt(dc, 0, 0, W, H, imageDC.get(), 0, 0, backgroundImageSize.cx, backgroundImageSize.cy, SRCCOPY);
  } else {
    RECT client{0, 0, W, H};
    FillRect(dc, &client, in.framed ? backgroundBrush : keyColorBrush);
  }
  SetTextColor(dc, in.paused ? pausedTextColour(textColour, backgroundColour, transparentKeyColor) : textColour.load());
  SetBkMode(dc, TRANSPARENT);

  const Layout layout = frameLayout(in);
  const ReadoutFields fields = in.running ? fieldsFromRemaining(in.remainingMs)
                                          : fieldsFromInterval(in.intervalHours, in.intervalMinutes,
                                                               in.intervalSeconds);
  HGDIOBJ saved = nullptr;
  HFONT current = nullptr;
  int height = 0, width = 0;
  for (const TextPiece& p : layoutPieces(layout, frameTwoRows(in, layout), FONT_ITALIC != 0, W, H, fields)) {
    if (!current || p.fontHeight != height || p.fontWidth != width) {
      HFONT font = CreateFontW(p.fontHeight, p.fontWidth, 0, 0, FONT_WEIGHT, (DWORD)FONT_ITALIC, 0, 0,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               NONANTIALIASED_QUALITY, FIXED_PITCH, FONT_NAME);
      if (font) {
        HGDIOBJ previous = SelectObject(dc, font);
        if (current)
          DeleteObject(current);
        else
          saved = previous;
        current = font;
        height = p.fontHeight;
        width = p.fontWidth;
      }
    }
    TextOutW(dc, p.x, p.y, p.text.c_str(), (int)p.text.size());
  }
  if (current) {
    SelectObject(dc, saved);
    DeleteObject(current);
  }
  BitBlt(target, 0, 0, W, H, dc, 0, 0, SRCCOPY);
}
