#include "display/painter.h"

#include <uxtheme.h>

#include "app/settings.h"
#include "app/startup.h"
#include "display/background_image.h"
#include "display/gdi_holders.h"
#include "timers/timer_state.h"

namespace {

// Fonts for the pieces of one frame: a new font only when the size changes, the replaced
// one deleted at once, and the DC's own font back at the end.
class FontSequence {
 public:
  explicit FontSequence(HDC dc) : dc_(dc) {}
  ~FontSequence() {
    if (current_) {
      SelectObject(dc_, saved_);
      DeleteObject(current_);
    }
  }
  FontSequence(const FontSequence&) = delete;
  FontSequence& operator=(const FontSequence&) = delete;

  void use(int height, int width) {
    if (current_ && height == height_ && width == width_) return;
    HFONT font = CreateFontW(height, width, 0, 0, FONT_WEIGHT, (DWORD)FONT_ITALIC, 0, 0,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             NONANTIALIASED_QUALITY, FIXED_PITCH, FONT_NAME);
    if (!font) return;
    HGDIOBJ previous = SelectObject(dc_, font);
    if (current_)
      DeleteObject(current_);
    else
      saved_ = previous;
    current_ = font;
    height_ = height;
    width_ = width;
  }

 private:
  HDC dc_;
  HFONT current_ = nullptr;
  HGDIOBJ saved_ = nullptr;
  int height_ = 0, width_ = 0;
};

void paintBackground(HDC dc, int W, int H, bool framed) {
  RECT client{0, 0, W, H};
  HBITMAP source = nullptr;
  if (ENABLE_BG_IMG && backgroundImage) {
    if (framed)
      source = backgroundImage;
    else if (BG_IMG_TOUKA && keyedBackgroundImage)
      source = keyedBackgroundImage;
  }
  if (source) {
    MemoryDC imageDC(dc);
    SelectedObject selected(imageDC.get(), source);
    // The default mode ANDs the pixels a shrink drops into the ones it keeps: dark streaks,
    // and key-coloured pixels that no longer match the key. Dropping them keeps colours exact.
    int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, W, H, imageDC.get(), 0, 0, backgroundImageSize.cx,
               backgroundImageSize.cy, SRCCOPY);
    if (oldMode) SetStretchBltMode(dc, oldMode);
    return;
  }
  FillRect(dc, &client, framed ? backgroundBrush : keyColorBrush);
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

void renderFrame(HDC dc, int W, int H, const FrameInputs& in) {
  paintBackground(dc, W, H, in.framed);
  SetTextColor(dc, textColour);
  SetBkMode(dc, TRANSPARENT);
  Layout layout = frameLayout(in);
  ReadoutFields fields = in.running
                             ? fieldsFromRemaining(in.remainingMs)
                             : fieldsFromInterval(in.intervalHours, in.intervalMinutes, in.intervalSeconds);
  FontSequence fonts(dc);
  for (const TextPiece& p : layoutPieces(layout, frameTwoRows(in, layout), FONT_ITALIC != 0, W, H, fields)) {
    fonts.use(p.fontHeight, p.fontWidth);
    TextOutW(dc, p.x, p.y, p.text.c_str(), (int)p.text.size());
  }
}

void paintDisplay(HWND window) {
  FrameInputs in = captureFrameInputs(window);
  RECT client{};
  GetClientRect(window, &client);
  const int W = client.right, H = client.bottom;
  PAINTSTRUCT ps;
  HDC paintDC = BeginPaint(window, &ps);
  if (Z_ORDER == 2) {
    // Embedded in the desktop: buffered painting composes the frame for us.
    static bool bufferedPaintReady = SUCCEEDED(BufferedPaintInit());
    (void)bufferedPaintReady;
    HDC memoryDC = nullptr;
    HPAINTBUFFER buffer = BeginBufferedPaint(paintDC, &client, BPBF_TOPDOWNDIB, nullptr, &memoryDC);
    if (buffer) {
      renderFrame(memoryDC, W, H, in);
      EndBufferedPaint(buffer, TRUE);
    }
  } else {
    MemoryDC memoryDC(paintDC);
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(paintDC, W, H));
    if (memoryDC.get() && bitmap) {
      SelectedObject selected(memoryDC.get(), bitmap.get());
      renderFrame(memoryDC.get(), W, H, in);
      BitBlt(paintDC, 0, 0, W, H, memoryDC.get(), 0, 0, SRCCOPY);
    }
  }
  EndPaint(window, &ps);
}

void toggleShowSeconds(HWND window) {
  SHOW_SEC = SHOW_SEC ? 0 : 1;
  InvalidateRect(window, nullptr, FALSE);
  if (!writeOptionInt(L"SHOW_SEC", SHOW_SEC)) showSettingsWriteFailure(window);
}
