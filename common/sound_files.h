// Choosing a sound file: the alarm dialog and the step editor share the chooser.
#pragma once
#include <windows.h>

// The open-file chooser for a sound over owner, starting from file (520 characters) and the
// filter last used (*filterIndex, -1 before the first browse: taken from file's extension).
// On OK file holds the choice and *filterIndex the filter; false when cancelled.
bool chooseSoundFile(HWND owner, const wchar_t* title, wchar_t* file, int* filterIndex);
// The chooser filter (1 .wav, 2 .mp3, 3 .wma, 4 .mid, 5 anything else) for a path's extension.
int filterIndexForPath(const wchar_t* path);
// The chooser's filter list: description and pattern pairs, ended by an empty string.
const wchar_t* soundFileFilter();
