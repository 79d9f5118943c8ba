// Start-up: brushes, the window class, the main window, the command line and the message loop.
#pragma once
#include <windows.h>

#include "app/command_line.h"

ATOM registerMainWindowClass(HINSTANCE instance);
HWND createMainWindow(HINSTANCE instance, int showCommand);
// The main window of the start, kept alive (and made again) when the shell takes it; null when
// no window could be made.
HWND openMainWindow(HINSTANCE instance, int showCommand);
// 1 when the command line gave a length (its count-down started here, or the argument was
// refused with a message and nothing starts), 0 otherwise.
int startFromCommandLine(HWND window);
// The whole program: the DLL search order and COM, then runVelmoraWindow. Returns the exit code.
int runVelmora(HINSTANCE instance, int showCommand);
// Settings, the main window, the command line or resume, the message loop and clean-up.
int runVelmoraWindow(HINSTANCE instance, int showCommand);
