// The context menu, built afresh from the current state each time it is shown.
#pragma once
#include <windows.h>

HMENU buildContextMenu();
// The menu at the cursor for the tray icon (closes when the user clicks elsewhere).
void showTrayMenu(HWND window);
