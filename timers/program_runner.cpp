#include "timers/program_runner.h"

DWORD WINAPI programStartThread(LPVOID) { return 0; }
DWORD WINAPI programStepStartThread(LPVOID) { return 0; }
DWORD WINAPI programStepEndThread(LPVOID) { return 0; }
