#include "app/context_menu.h"

HMENU buildContextMenu() { return CreatePopupMenu(); }
void showTrayMenu(HWND) {}
