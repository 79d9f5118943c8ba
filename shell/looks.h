// The running, idle and auto-close looks: window title, class icon and tray tip. Worker threads
// ask for them with posted requests; the window thread applies them.
#pragma once
#include <windows.h>
#include <cstdint>

// Title of a running timer of the given kind.
const wchar_t* runningTitle(int kind);
// Title of a paused timer of the given kind (interval or program timer).
const wchar_t* pausedTitle(int kind);
// On the window thread: applies a look request; false when message is none.
bool applyLookRequest(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Ends a pending auto-close countdown and puts back the idle title and tip; a title request
// of that countdown still on its way is dropped.
void cancelAutoCloseLook(HWND window);
// From any thread, when a run starts: ends a pending auto-close countdown and asks for the
// idle look (the run's count-down asks for the running look after it).
void cancelAutoCloseForRun(HWND window);
// Sets the title, and the tray tip when the icon is shown.
void setTitleAndTip(HWND window, const wchar_t* title);
