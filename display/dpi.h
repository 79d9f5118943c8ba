// DPI: pixel sizes are written for 96 DPI and scaled to the DPI of the window that shows them.
#pragma once
#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// A size given in pixels at 96 DPI, in pixels at dpi.
inline int scaleForDpi(int value96, UINT dpi) { return MulDiv(value96, (int)dpi, 96); }

// The window's DPI: GetDpiForWindow where the system has it (Windows 10 1607 on), otherwise
// the LOGPIXELSY of the window's DC.
UINT windowDpi(HWND window);
// The DPI of a monitor: GetDpiForMonitor where the system has it (Windows 8.1 on), otherwise
// the LOGPIXELSY of the screen DC.
UINT monitorDpi(HMONITOR monitor);
