#include "programs/program_editor.h"

INT_PTR CALLBACK programEditorDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
