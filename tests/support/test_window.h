// Windows of classes of the tests' and benchmarks' own.
#pragma once
#include <windows.h>

namespace testsupport {

// Registers a window class of this module with the procedure and the arrow cursor (once:
// registering it again does nothing).
inline void registerClass(const wchar_t* name, WNDPROC proc, UINT style = 0) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

// A shown, framed top-level window titled "Velmora" at (0, 0), of its own class `className`
// with the procedure: the main window's stand-in. Null when it cannot be made.
inline HWND createVelmoraWindow(const wchar_t* className, WNDPROC proc, int width, int height) {
  registerClass(className, proc);
  return CreateWindowExW(0, className, L"Velmora", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, width, height, nullptr,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Paints the window (its WM_PAINT) as a checkerboard of red and blue squares of `cell` pixels.
inline void paintCheckerboard(HWND window, int cell) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT r;
  GetClientRect(window, &r);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
  for (int y = 0; y < r.bottom; y += cell)
    for (int x = 0; x < r.right; x += cell) {
      RECT square{x, y, x + cell, y + cell};
      FillRect(dc, &square, ((x + y) / cell) % 2 ? red : blue);
    }
  DeleteObject(red);
  DeleteObject(blue);
  EndPaint(window, &ps);
}

}  // namespace testsupport
