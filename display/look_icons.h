// The window's three icons (idle, running and paused), and the window classes that show them.
#pragma once
#include <windows.h>

// The idle, running or paused icon (IDI_IDLE, IDI_RUNNING, IDI_PAUSED) at the system's large and small icon sizes.
struct LookIcons {
  HICON large, small;
};
LookIcons lookIcons(HINSTANCE instance, int id);
// A window class of the program's: redrawn when resized, double clicks, the idle icons, the
// arrow cursor.
WNDCLASSEXW programWindowClass(HINSTANCE instance, WNDPROC procedure, HBRUSH background, const wchar_t* name);
