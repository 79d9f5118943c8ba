// Where the main window opens: the saved rectangle, kept on a monitor that is there now.
#pragma once
#include <windows.h>

// A window's outer rectangle as the WINDOW section keeps it.
struct WindowBox {
  int left, top, width, height;
};

constexpr int kDefaultWindowWidth96 = 300;
constexpr int kDefaultWindowHeight96 = 200;
// At least this much of a saved window (each way, or all of it where it is smaller) must lie in
// the work area for its place to be kept.
constexpr int kMinVisible96 = 48;

// The rectangle to open at, from the saved one and the work area of the monitor nearest to it.
// A width or height of 0 or less becomes the default's. A window that lies on the work area
// (see kMinVisible96) keeps its place exactly; any other moves into the work area at its size,
// shrunk to the work area where it is larger.
WindowBox placeSavedWindow(const WindowBox& saved, const RECT& workArea, SIZE defaultSize, int minVisible);

// The saved rectangle placed on the nearest monitor that is connected now, with the sizes
// scaled to that monitor's DPI.
WindowBox placeOnNearestMonitor(const WindowBox& saved);
