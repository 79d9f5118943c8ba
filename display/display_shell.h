// What the window's form and layer ask of the shell. The display calls the shell only through
// this list; the program fills it in with the shell's functions, so the display does not depend
// on the shell.
#pragma once
#include <windows.h>

struct DisplayShell {
  // The click-through mode the window's styles follow (0, 1 or 2).
  int (*clickThroughMode)();
  // Takes the tray icon away.
  BOOL (*removeTrayIcon)();
};
extern const DisplayShell displayShell;
