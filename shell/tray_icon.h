// The notification-area icon, balloons, minimising to the tray, the taskbar button and the
// mouse click-through modes.
#pragma once
#include <windows.h>
#include <shellapi.h>

struct ClickTimingRecord;

extern NOTIFYICONDATAW trayIconData;
// Every call to the shell's notification area goes through here (tests put a recorder in).
extern BOOL(WINAPI* shellNotifyIcon)(DWORD message, PNOTIFYICONDATAW data);

BOOL addTrayIcon(HWND window);
BOOL removeTrayIcon();
// The icon counts as present: always-in-tray, window hidden, or embedded and minimised.
bool trayIconShown(HWND window);
// Changes the tray icon (when icon is given) and its tip.
void modifyTrayIcon(HWND window, HICON icon, const wchar_t* tip);
// Notices go to a balloon: BALLOON is on and the icon is shown.
bool balloonPreferred(HWND window);
void showBalloon(HWND window, const wchar_t* text, const wchar_t* title);
// After the options dialog's OK: apply and save the tray and taskbar options.
void applyTrayOptions(HWND window);
// Commands 14, 15, 16: click-through mode 0, 1, 2.
void setMousePassThrough(HWND window, int command);
// WM_CREATE: the stored mode. When mode 1 gets no tray icon (no taskbar yet) the window takes
// clicks as in mode 0 until the icon can be added; nothing is written.
void applyClickThroughAtStart(HWND window);
// The mode the window's styles follow: UNTOUCHABLE, or 0 while mode 1 waits for its icon.
int activeClickThroughMode();
bool clickThroughWaitingForTray();
// "TaskbarCreated": the icon again where it was shown, and mode 1 back when it waited for it.
void onTaskbarCreated(HWND window);
// Single left click on the icon.
void trayToggleWindow(ClickTimingRecord* record);
// Double left click on the icon.
void trayLeftDoubleClick(HWND window);
// SC_MINIMIZE: true when handled here (the window went to the tray instead).
bool onMinimiseRequest(HWND window);
