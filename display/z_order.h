// Normal, always on top, or embedded in the desktop; and the background window of
// click-through mode 2 ("VELMORA_BG").
#pragma once
#include <windows.h>

extern HWND backgroundWindow;
extern HWND desktopHost;                  // the shell's window the main window is embedded in, or null
extern HWND backgroundWindowOwner;        // the main window, from the first class registration on
extern WNDCLASSEXW backgroundWindowClass;

// Commands 11, 12, 13.
void setZOrder(HWND window, int command);
// Makes the window a child of the shell's desktop icon host (or of the desktop window).
BOOL embedInDesktop(HWND window);
// A host-relative position from a screen position and the host's client origin on the screen.
POINT hostPointFromScreen(POINT screen, POINT hostClientOrigin);
// The host the window was embedded in is still there.
bool embeddedInShell();
// "TaskbarCreated": embedded mode without a live host embeds again when the shell has one.
void embedAgainWhenShellIsBack(HWND window);
// Back to a top-level window (also when it was not embedded).
BOOL leaveDesktop(HWND window);
// EnumWindows callback: the first "Progman" or "WorkerW" with a "SHELLDLL_DefView" child.
BOOL CALLBACK findDesktopHost(HWND window, LPARAM hostOut);
// The almost invisible click catcher behind the main window; registers its class on first use.
HWND createBackgroundWindow(HWND mainWindow);
LRESULT CALLBACK backgroundWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// After backgroundBrush changed: the background window (or its next instance) uses it.
void refreshBackgroundWindowBrush();
