// Painting the read-out: the whole WM_PAINT handling, composed off-screen and copied once.
#pragma once
#include <windows.h>
#include "display/layout.h"

// Everything one frame depends on, taken as one snapshot.
struct FrameInputs {
  bool framed;            // the window has a caption or a sizing frame
  int outerWidth, outerHeight;  // GetWindowRect of the window
  bool running;
  bool paused;            // a running count-down that stands still
  uint32_t remainingMs;
  int intervalHours, intervalMinutes, intervalSeconds;
  bool showSeconds;
};

// Takes the snapshot of the shared state for one paint of the window.
FrameInputs captureFrameInputs(HWND window);
// Which layout and row form a frame uses.
Layout frameLayout(const FrameInputs& in);
bool frameTwoRows(const FrameInputs& in, Layout layout);
// Brings the kept back buffer (W x H, compatible with target) up to the frame of `in` and
// copies its part `area` to target. Only what differs from the frame the buffer holds is
// drawn again; the result is always the frame composed afresh.
void paintFrame(HDC target, int W, int H, const FrameInputs& in, const RECT& area);
// Frees the back buffer and the fonts kept between paints (WM_DESTROY).
void releasePaintCache();
// WM_PAINT of the main window.
void paintDisplay(HWND window);
// Flips SHOW_SEC, repaints and writes it (F2, middle double clicks).
void toggleShowSeconds(HWND window);
