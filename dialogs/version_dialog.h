// Dialog 200, the version information with its link.
#pragma once
#include <windows.h>

// The address behind the link ("URL : " + this in the dialog).
extern const wchar_t* const velmoraHomePage;
// Opens an address in the browser; tests put a recorder in.
extern void (*openLinkAddress)(const wchar_t* address);
// The link's text colour now: blue, or red while the mouse is over it.
COLORREF versionLinkColour();

INT_PTR CALLBACK versionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
