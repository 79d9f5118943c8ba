// The window's three icons: idle, running and paused.
#pragma once
#include <windows.h>

// The idle, running or paused icon (IDI_IDLE, IDI_RUNNING, IDI_PAUSED) at the system's large and small icon sizes.
struct LookIcons {
  HICON large, small;
};
LookIcons lookIcons(HINSTANCE instance, int id);
