// Running a program timer: its start and the start and end of each step.
#pragma once
#include <windows.h>
#include <cstdint>

DWORD WINAPI programStartThread(LPVOID window);
DWORD WINAPI programStepStartThread(LPVOID window);
DWORD WINAPI programStepEndThread(LPVOID window);

// At exit: frees the step list unless a run goes on, whose step threads may still read it (the
// run stays resumable).
void releaseProgramStepsAtExit();
