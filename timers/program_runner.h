// Running a program timer: its start and the start and end of each step.
#pragma once
#include <windows.h>
#include <cstdint>

DWORD WINAPI programStartThread(LPVOID window);
DWORD WINAPI programStepStartThread(LPVOID window);
DWORD WINAPI programStepEndThread(LPVOID window);

// A copy of a step's sound path in one of a ring of buffers that live for the whole run, for
// the play request: a new start may reload (and move) the step list while the request waits.
const wchar_t* keepSoundPathForRequest(const wchar_t* path);
// True when path is the start of one of those buffers.
bool isSoundRequestPath(const wchar_t* path);
