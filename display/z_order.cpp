#include "display/z_order.h"

HWND backgroundWindow = nullptr;

void setZOrder(HWND, int) {}
BOOL embedInDesktop(HWND) { return FALSE; }
BOOL leaveDesktop(HWND) { return FALSE; }
HWND createBackgroundWindow(HWND) { return nullptr; }
void refreshBackgroundWindowBrush() {}
