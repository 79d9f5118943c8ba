// What happens when a count-down reaches zero: alarm, notice, and repeat or auto-close.
#pragma once
#include <windows.h>
#include <cstddef>

// Runs on the count-down thread that has just ended by time-up (targetTick already 0), which
// hands the run on to a repeat or the next step, or ends it. caption is that thread's buffer
// of 128 characters, "Velmora" on entry.
void handleTimeUp(HWND window, wchar_t* caption);

// The time-up and step boxes stay above other windows but never take the keyboard themselves:
// a Space or Enter typed into another program must not close the box and stop the alarm
// unheard. Windows decides about the foreground; the flashing taskbar button tells the user.
constexpr UINT kTimeUpBoxFlags = MB_OK | MB_TOPMOST;

// The time-up box over the window, the window flashing until it closes.
void showTimeUpBox(HWND window, const wchar_t* text, const wchar_t* caption);
// The notice caption for the current repeat count: "Velmora" for the first end of a run,
// "繰り返し N 回目 - Velmora" from the second end on.
void formatTimeUpCaption(int repeats, wchar_t* caption, size_t size);
// The interval timer restarts after an end of this kind.
bool repeatFollows(int timerLoop, int kind, int timeOfDayLoop);
