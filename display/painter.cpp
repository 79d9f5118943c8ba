#include "display/painter.h"

#include <cwchar>
#include <vector>

#include "common/settings.h"
#include "common/timer_state.h"
#include "display/background_image.h"
#include "display/colours_and_font.h"
#include "display/gdi_holders.h"

namespace {

// What a frame looks like apart from its text pieces: when any of it changes, the kept
// frame is of no use and the next one is drawn whole.
struct FrameLook {
  HBITMAP image = nullptr;  // the background bitmap drawn, or null for a fill
  unsigned imageVersion = 0;
  COLORREF fill = 0;        // the fill's colour when there is no image
  COLORREF text = 0;
  int fontWeight = 0, fontItalic = 0;
  wchar_t fontName[32] = {};
  bool operator==(const FrameLook& other) const {
    return image == other.image && imageVersion == other.imageVersion && fill == other.fill &&
           text == other.text && fontWeight == other.fontWeight && fontItalic == other.fontItalic &&
           wcscmp(fontName, other.fontName) == 0;
  }
};

// A piece as drawn into the back buffer, with the rectangle its pixels lie in.
struct DrawnPiece {
  TextPiece piece;
  RECT bounds;
};

// The fonts of the kept frame, one per size (one to three): a frame whose pieces stay in
// place uses the same sizes again.
struct KeptFont {
  int height, width;
  HFONT font;
};

BitmapDC backBuffer;
bool backBufferComplete = false;  // holds the frame described by keptLook and keptPieces
FrameLook keptLook;
std::vector<DrawnPiece> keptPieces;
std::vector<KeptFont> keptFonts;
HGDIOBJ backBufferFont = nullptr;  // the memory DC's own font, selected back after each frame

void releaseFonts() {
  if (backBuffer.dc() && backBufferFont) SelectObject(backBuffer.dc(), backBufferFont);
  for (const KeptFont& f : keptFonts) DeleteObject(f.font);
  keptFonts.clear();
}

void selectFont(HDC dc, int height, int width) {
  for (KeptFont& f : keptFonts) {
    if (f.height == height && f.width == width) {
      SelectObject(dc, f.font);
      return;
    }
  }
  HFONT font = CreateFontW(height, width, 0, 0, FONT_WEIGHT, (DWORD)FONT_ITALIC, 0, 0, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, FIXED_PITCH,
                           FONT_NAME);
  if (!font) return;
  keptFonts.push_back({height, width, font});
  SelectObject(dc, font);
}

// Draws one piece and returns the rectangle that its pixels lie in (the whole buffer when
// the DC cannot tell).
RECT drawPiece(HDC dc, const TextPiece& p, int W, int H) {
  selectFont(dc, p.fontHeight, p.fontWidth);
  SetBoundsRect(dc, nullptr, DCB_RESET | DCB_ENABLE);
  TextOutW(dc, p.x, p.y, p.text.c_str(), (int)p.text.size());
  RECT bounds{};
  UINT state = GetBoundsRect(dc, &bounds, DCB_RESET);
  SetBoundsRect(dc, nullptr, DCB_DISABLE);
  if (state == 0) return RECT{0, 0, W, H};
  if (state != DCB_SET) return RECT{};  // nothing drawn
  return bounds;
}

FrameLook currentLook(bool framed, bool paused) {
  FrameLook look;
  if (ENABLE_BG_IMG && backgroundImage) {
    if (framed)
      look.image = backgroundImage;
    else if (BG_IMG_TOUKA && keyedBackgroundImage)
      look.image = keyedBackgroundImage;
  }
  if (look.image) {
    look.imageVersion = backgroundImageVersion();
  } else {
    LOGBRUSH brush{};
    GetObjectW(framed ? backgroundBrush : keyColorBrush, sizeof brush, &brush);
    look.fill = brush.lbColor;
  }
  look.text = paused ? pausedTextColour(textColour, backgroundColour, transparentKeyColor) : textColour.load();
  look.fontWeight = FONT_WEIGHT;
  look.fontItalic = FONT_ITALIC;
  wcscpy_s(look.fontName, FONT_NAME);
  return look;
}

// Paints the background of the rectangle r: the fill, or the part of the kept stretched
// image. Without a stretched copy the image is stretched straight into the whole buffer.
void paintBackground(HDC dc, int W, int H, bool framed, const FrameLook& look, HDC stretched, const RECT& r) {
  if (look.image && stretched) {
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, stretched, r.left, r.top, SRCCOPY);
  } else if (look.image) {
    MemoryDC imageDC(dc);
    SelectedObject selected(imageDC.get(), look.image);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, W, H, imageDC.get(), 0, 0, backgroundImageSize.cx, backgroundImageSize.cy, SRCCOPY);
  } else {
    FillRect(dc, &r, framed ? backgroundBrush : keyColorBrush);
  }
}

bool samePlaces(const std::vector<TextPiece>& pieces) {
  if (pieces.size() != keptPieces.size()) return false;
  for (size_t i = 0; i < pieces.size(); ++i) {
    const TextPiece& a = pieces[i];
    const TextPiece& b = keptPieces[i].piece;
    if (a.x != b.x || a.y != b.y || a.fontHeight != b.fontHeight || a.fontWidth != b.fontWidth) return false;
  }
  return true;
}

// Brings the back buffer from the kept frame to this one. The text is one colour without
// blending, so a pixel is text exactly when some piece covers it: only the rectangles of
// the pieces whose text changed need their background back, with the other pieces' pixels
// inside them drawn again; the new texts are then drawn over.
void updateBackBuffer(int W, int H, const FrameInputs& in) {
  HDC dc = backBuffer.dc();
  const Layout layout = frameLayout(in);
  const ReadoutFields fields = in.running ? fieldsFromRemaining(in.remainingMs)
                                          : fieldsFromInterval(in.intervalHours, in.intervalMinutes,
                                                               in.intervalSeconds);
  const std::vector<TextPiece> pieces =
      layoutPieces(layout, frameTwoRows(in, layout), FONT_ITALIC != 0, W, H, fields);
  const FrameLook look = currentLook(in.framed, in.paused);
  HDC stretched = look.image ? stretchedBackgroundImage(dc, look.image, W, H) : nullptr;
  // Without a kept stretched image no part of the background can be put back alone.
  const bool complete = !look.image || stretched;
  const bool whole = !backBufferComplete || !complete || !(look == keptLook) || !samePlaces(pieces);
  if (whole) {
    // The fonts may be of another face, weight or size now.
    releaseFonts();
    keptPieces.clear();
  }
  SetTextColor(dc, look.text);
  SetBkMode(dc, TRANSPARENT);
  backBufferFont = GetCurrentObject(dc, OBJ_FONT);

  if (whole) {
    const RECT all{0, 0, W, H};
    paintBackground(dc, W, H, in.framed, look, stretched, all);
    for (const TextPiece& p : pieces) keptPieces.push_back({p, drawPiece(dc, p, W, H)});
  } else {
    RECT changed{};
    for (size_t i = 0; i < pieces.size(); ++i)
      if (pieces[i].text != keptPieces[i].piece.text) UnionRect(&changed, &changed, &keptPieces[i].bounds);
    if (!IsRectEmpty(&changed)) {
      paintBackground(dc, W, H, in.framed, look, stretched, changed);
      IntersectClipRect(dc, changed.left, changed.top, changed.right, changed.bottom);
      for (size_t i = 0; i < pieces.size(); ++i) {
        RECT overlap;
        if (pieces[i].text == keptPieces[i].piece.text && IntersectRect(&overlap, &keptPieces[i].bounds, &changed))
          drawPiece(dc, pieces[i], W, H);
      }
      SelectClipRgn(dc, nullptr);
    }
    for (size_t i = 0; i < pieces.size(); ++i)
      if (pieces[i].text != keptPieces[i].piece.text) keptPieces[i] = {pieces[i], drawPiece(dc, pieces[i], W, H)};
    for (size_t i = 0; i < pieces.size(); ++i) keptPieces[i].piece = pieces[i];
  }

  SelectObject(dc, backBufferFont);
  keptLook = look;
  backBufferComplete = complete;
}

}  // namespace

FrameInputs captureFrameInputs(HWND window) {
  FrameInputs in{};
  in.framed = (GetWindowLongW(window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME)) != 0;
  RECT outer{};
  GetWindowRect(window, &outer);
  in.outerWidth = outer.right - outer.left;
  in.outerHeight = outer.bottom - outer.top;
  // One snapshot: the timer thread may change these between two reads.
  in.running = targetTick.load() != 0;
  in.paused = in.running && paused.load() != 0;
  in.remainingMs = remainingMs.load();
  in.intervalHours = intervalHours;
  in.intervalMinutes = intervalMinutes;
  in.intervalSeconds = intervalSeconds;
  in.showSeconds = SHOW_SEC != 0;
  return in;
}

Layout frameLayout(const FrameInputs& in) {
  return chooseLayout(in.running, in.remainingMs, in.showSeconds);
}

bool frameTwoRows(const FrameInputs& in, Layout layout) {
  if (!layoutHasTwoRows(layout)) return false;
  if (layout == Layout::E) return useTwoRows(DHMS_ASPECT_W, DHMS_ASPECT_H, in.outerWidth, in.outerHeight);
  return useTwoRows(HMS_ASPECT_W, HMS_ASPECT_H, in.outerWidth, in.outerHeight);
}

void paintFrame(HDC target, int W, int H, const FrameInputs& in, const RECT& area) {
  if (!backBuffer.holds(W, H)) {
    releasePaintCache();
    // A failed bitmap (a zero-sized client area, no memory) leaves nothing to draw.
    if (!backBuffer.make(target, W, H)) return;
  }
  updateBackBuffer(W, H, in);
  BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, backBuffer.dc(),
         area.left, area.top, SRCCOPY);
}

void releasePaintCache() {
  releaseFonts();
  backBuffer.reset();
  backBufferComplete = false;
  keptPieces.clear();
}

void paintDisplay(HWND window) {
  FrameInputs in = captureFrameInputs(window);
  RECT client{};
  GetClientRect(window, &client);
  PAINTSTRUCT ps;
  HDC paintDC = BeginPaint(window, &ps);
  // The kept back buffer serves every form, the desktop-embedded one included: the frame is
  // composed off-screen and reaches the window in one copy.
  try {
    paintFrame(paintDC, client.right, client.bottom, in, ps.rcPaint);
  } catch (...) {
    releasePaintCache();  // out of memory for the pieces: this frame is skipped
  }
  EndPaint(window, &ps);
}

void toggleShowSeconds(HWND window) {
  SHOW_SEC = SHOW_SEC ? 0 : 1;
  InvalidateRect(window, nullptr, FALSE);
  if (!writeOptionInt(L"SHOW_SEC", SHOW_SEC)) showSettingsWriteFailure(window);
}
