#include "app/window_placement.h"

#include <algorithm>
#include <climits>

#include "display/dpi.h"

namespace {

// Sums in 64 bits: the saved values are whatever the file held.
long long clampInto(long long start, long long length, long long areaStart, long long areaEnd) {
  return std::max(areaStart, std::min(start, areaEnd - length));
}

long long overlap(long long start, long long length, long long areaStart, long long areaEnd) {
  return std::min(start + length, areaEnd) - std::max(start, areaStart);
}

RECT boxRect(const WindowBox& box) {
  auto edge = [](long long v) { return (LONG)std::clamp<long long>(v, INT_MIN, INT_MAX); };
  return {box.left, box.top, edge((long long)box.left + box.width), edge((long long)box.top + box.height)};
}

}  // namespace

WindowBox placeSavedWindow(const WindowBox& saved, const RECT& work, SIZE defaultSize, int minVisible) {
  WindowBox box = saved;
  if (box.width <= 0) box.width = defaultSize.cx;
  if (box.height <= 0) box.height = defaultSize.cy;
  const long long workWidth = (long long)work.right - work.left, workHeight = (long long)work.bottom - work.top;
  if (workWidth <= 0 || workHeight <= 0) return box;

  const bool onWorkArea =
      overlap(box.left, box.width, work.left, work.right) >= std::min<long long>(minVisible, box.width) &&
      overlap(box.top, box.height, work.top, work.bottom) >= std::min<long long>(minVisible, box.height);
  if (onWorkArea) return box;

  box.width = (int)std::min<long long>(box.width, workWidth);
  box.height = (int)std::min<long long>(box.height, workHeight);
  box.left = (int)clampInto(box.left, box.width, work.left, work.right);
  box.top = (int)clampInto(box.top, box.height, work.top, work.bottom);
  return box;
}

WindowBox placeOnNearestMonitor(const WindowBox& saved) {
  WindowBox probe = saved;
  if (probe.width <= 0) probe.width = kDefaultWindowWidth96;
  if (probe.height <= 0) probe.height = kDefaultWindowHeight96;
  RECT probeRect = boxRect(probe);
  HMONITOR monitor = MonitorFromRect(&probeRect, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!monitor || !GetMonitorInfoW(monitor, &info))
    return placeSavedWindow(saved, RECT{}, SIZE{kDefaultWindowWidth96, kDefaultWindowHeight96}, 0);
  const UINT dpi = monitorDpi(monitor);
  const SIZE defaultSize{scaleForDpi(kDefaultWindowWidth96, dpi), scaleForDpi(kDefaultWindowHeight96, dpi)};
  return placeSavedWindow(saved, info.rcWork, defaultSize, scaleForDpi(kMinVisible96, dpi));
}
