// The main window procedure: every command, the tray callback, the workers' sound requests.
#pragma once
#include <windows.h>

extern UINT taskbarCreatedMessage;        // "TaskbarCreated", registered at WM_CREATE

// From before the main window is made on, a shell that takes the embedded window with it does
// not end the program: a new main window takes its place (tests that destroy windows leave it off).
void keepMainWindowAlive();
// Makes a new main window when the shell took the last one (also done by a timer).
void replaceLostMainWindow();

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// True for the command ids that are ignored while a dialog is open.
bool commandBlockedByDialog(int id);
