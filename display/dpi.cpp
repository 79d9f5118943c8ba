#include "display/dpi.h"

namespace {

// Neither function is in Windows 7's system DLLs: they are looked up at run time, so the
// program still starts there.
using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

UINT dcDpi(HWND window) {
  HDC dc = GetDC(window);
  if (!dc) return 96;
  int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(window, dc);
  return dpi > 0 ? (UINT)dpi : 96;
}

template <typename Function>
Function systemFunction(const wchar_t* module, const char* name, bool load) {
  HMODULE handle = load ? LoadLibraryExW(module, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32) : GetModuleHandleW(module);
  if (!handle) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(handle, name)));
}

}  // namespace

UINT windowDpi(HWND window) {
  static const auto getDpiForWindow =
      systemFunction<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow", false);
  if (getDpiForWindow && window) {
    UINT dpi = getDpiForWindow(window);
    if (dpi) return dpi;
  }
  return dcDpi(window);
}

UINT monitorDpi(HMONITOR monitor) {
  // shcore stays loaded for the rest of the run, like the system's own DLLs.
  static const auto getDpiForMonitor =
      systemFunction<GetDpiForMonitorFunction>(L"shcore.dll", "GetDpiForMonitor", true);
  UINT x = 0, y = 0;
  if (getDpiForMonitor && monitor && SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && y)
    return y;
  return dcDpi(nullptr);
}
