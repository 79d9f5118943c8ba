// Sleeping to the millisecond where Windows can: the last sleep of a count-down.
#pragma once
#include <windows.h>

// Waits ms milliseconds on a high-resolution waitable timer, which Windows ends to the
// millisecond rather than at the next system tick (15.6 ms); where there is no such timer,
// Sleep(ms).
void sleepPrecisely(DWORD ms);
// The same, cut short when `wake` (an event; may be null) is set meanwhile: true when the whole
// time passed.
bool sleepPreciselyUnless(DWORD ms, HANDLE wake);
