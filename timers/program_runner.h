// Running a program timer: its start and the start and end of each step.
#pragma once
#include <windows.h>
#include <cstdint>

DWORD WINAPI programStartThread(LPVOID window);
DWORD WINAPI programStepStartThread(LPVOID window);
DWORD WINAPI programStepEndThread(LPVOID window);

// A copy of a step's sound path in one of a ring of buffers that live for the whole run, for
// the play request: a new start may reload (and move) the step list while the request waits.
// Null when every buffer still holds a request that has not been read (that sound is left out).
const wchar_t* keepSoundPathForRequest(const wchar_t* path);
// The window thread has read the request's path: its buffer may be taken again.
void releaseSoundRequestPath(const wchar_t* path);
// At exit: frees the step list unless a run goes on, whose step threads may still read it (the
// run stays resumable).
void releaseProgramStepsAtExit();
// True when path is the start of one of those buffers.
bool isSoundRequestPath(const wchar_t* path);
