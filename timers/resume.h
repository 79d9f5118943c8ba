// Continuing at start-up a timer that was running when the program last ended.
#pragma once
#include <windows.h>

void resumeTimer(HWND window);
