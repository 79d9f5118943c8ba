// The running, idle and auto-close looks: window title, class icon and tray tip.
#pragma once
#include <windows.h>

// The idle or running icon (IDI_IDLE, IDI_RUNNING) at the system's large and small icon sizes.
struct LookIcons {
  HICON large, small;
};
LookIcons lookIcons(HINSTANCE instance, int id);
// Title of a running timer of the given kind.
const wchar_t* runningTitle(int kind);
void showRunningLook(HWND window);
void showIdleLook(HWND window);
// Ends a pending auto-close countdown and puts back the idle title and tip.
void cancelAutoCloseLook(HWND window);
// Sets the title, and the tray tip when the icon is shown (auto-close countdown texts).
void setTitleAndTip(HWND window, const wchar_t* title);
