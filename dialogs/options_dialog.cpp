#include "dialogs/options_dialog.h"

INT_PTR CALLBACK optionsDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
