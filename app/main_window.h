// The main window procedure: every command, the tray callback, the workers' sound requests.
#pragma once
#include <windows.h>
#include <atomic>

extern std::atomic<int> dialogOpen;       // 1 while a modal dialog or chooser of the main window runs
extern UINT taskbarCreatedMessage;        // "TaskbarCreated", registered at WM_CREATE
extern int alarmLoopFlag;                 // loop flag of the latest play request

// Worker-to-window messages.
constexpr UINT WM_TRAY_CALLBACK = WM_APP;
constexpr UINT WM_PLAY_SOUND = WM_APP + 1;
constexpr UINT WM_STOP_SOUND = WM_APP + 2;
// Look changes that worker threads ask for and the window thread applies (applyLookRequest).
// They are posted, never done on the worker: SetWindowTextW and SetClassLongPtrW wait for the
// window's thread and Shell_NotifyIconW for the shell, and a count-down that waited for either
// would end late.
constexpr UINT WM_RUNNING_LOOK = WM_APP + 3;      // wParam: the running timer's kind
constexpr UINT WM_IDLE_LOOK = WM_APP + 4;
constexpr UINT WM_AUTO_CLOSE_TITLE = WM_APP + 5;  // wParam: auto-close generation; lParam: grace left in ms
constexpr UINT WM_PAUSED_LOOK = WM_APP + 6;       // wParam: the paused timer's kind
constexpr UINT WM_FLASH_WINDOW = WM_APP + 16;     // wParam: 1 flash until stopped, 0 stop

// From the message loop's start on, a shell that takes the embedded window with it does not
// end the program: a new main window takes its place (tests that destroy windows leave it off).
void keepMainWindowAlive();

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs a dialog of the main window modally with dialogOpen set around it.
// Returns the dialog's result; only a positive result counts as confirmed.
INT_PTR runMainDialog(HWND window, int dialogId, DLGPROC procedure);
// Runs any modal step (a chooser) with dialogOpen set around it. A dialog opened from another
// one (the tray menu stays usable) puts back the flag it found, so the outer one keeps it set.
template <typename F>
auto withDialogOpen(F&& f) {
  const int outer = dialogOpen.exchange(1);
  auto result = f();
  dialogOpen = outer;
  return result;
}
// True for the command ids that are ignored while a dialog is open.
bool commandBlockedByDialog(int id);
// The dialogs' common first step: the owner's current class icon as the small icon.
void setDialogSmallIcon(HWND dialog);
