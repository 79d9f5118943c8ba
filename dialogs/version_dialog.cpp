#include "dialogs/version_dialog.h"

INT_PTR CALLBACK versionDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
