// Start-up: brushes, the window class, the main window, the command line and the message loop.
#pragma once
#include <windows.h>
#include <atomic>

#include "app/command_line.h"

extern COLORREF customColors[16];            // custom slots of the colour chooser
extern COLORREF transparentKeyColor;         // the frameless window's see-through colour
extern HBRUSH backgroundBrush;               // solid brush of backgroundColour
extern HBRUSH keyColorBrush;                 // solid brush of transparentKeyColor
// Another one when the shell took the embedded window with it (workers read it).
extern std::atomic<HWND> mainWindow;
// The window a worker was started with, or the main window that took its place.
HWND followMainWindow(HWND window);

// The key colour moved off the text colour: XOR 0x010101 when their low 24 bits are equal.
COLORREF keyColourAvoiding(COLORREF key, COLORREF text);

ATOM registerMainWindowClass(HINSTANCE instance);
HWND createMainWindow(HINSTANCE instance, int showCommand);
// 1 when the command line gave a length (its count-down started here, or the argument was
// refused with a message and nothing starts), 0 otherwise.
int startFromCommandLine(HWND window);
// The whole program: the DLL search order and COM, then runVelmoraWindow. Returns the exit code.
int runVelmora(HINSTANCE instance, int showCommand);
// Settings, the main window, the command line or resume, the message loop and clean-up.
int runVelmoraWindow(HINSTANCE instance, int showCommand);
