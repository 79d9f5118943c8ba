// Running a program timer: its start and the start and end of each step.
#pragma once
#include <windows.h>

DWORD WINAPI programStartThread(LPVOID window);
DWORD WINAPI programStepStartThread(LPVOID window);
DWORD WINAPI programStepEndThread(LPVOID window);
