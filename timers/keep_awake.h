// Keeping the PC awake while a run goes on. Windows keeps the request of a thread until that
// thread changes it (or ends), so only the window thread, which lives as long as the program,
// calls these.
#pragma once
#include <windows.h>

// Asks Windows not to put the system to sleep for being idle; the display may still turn off,
// and the lid or the power button still put the PC to sleep.
void keepAwakeStart();
// The system sleeps by its power plan again.
void keepAwakeStop();
// Whether the keep-awake request is in place.
bool keepingAwake();
// The window thread's watch over the run: keeps the PC awake from a count-down's start until
// the run has ended by any path (checked every second by a window timer on `window`).
void keepAwakeWhileRunning(HWND window);
// The window timer of keepAwakeWhileRunning went off; false for another timer.
bool onKeepAwakeTimer(HWND window, WPARAM timerId);
