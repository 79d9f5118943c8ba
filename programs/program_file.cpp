#include "programs/program_file.h"

void freeProgramSteps() {}
void moveProgramTimerUp(HWND) {}
void moveProgramTimerDown(HWND) {}
INT_PTR CALLBACK renameDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
