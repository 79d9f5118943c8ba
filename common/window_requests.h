// How worker threads reach the main window: the private messages they post, the window they
// post to, and the path buffers of the sound requests. Only the window thread touches the
// window; a worker posts and goes on.
#pragma once
#include <windows.h>
#include <atomic>
#include <cstdint>

// Worker-to-window messages.
constexpr UINT WM_TRAY_CALLBACK = WM_APP;
constexpr UINT WM_PLAY_SOUND = WM_APP + 1;  // wParam: the path (ALARM_FILE or a request buffer); lParam: loop
constexpr UINT WM_STOP_SOUND = WM_APP + 2;
// Look changes that worker threads ask for and the window thread applies (applyLookRequest).
// They are posted, never done on the worker: SetWindowTextW and SetClassLongPtrW wait for the
// window's thread and Shell_NotifyIconW for the shell, and a count-down that waited for either
// would end late.
constexpr UINT WM_RUNNING_LOOK = WM_APP + 3;      // wParam: the running timer's kind
constexpr UINT WM_IDLE_LOOK = WM_APP + 4;
constexpr UINT WM_AUTO_CLOSE_TITLE = WM_APP + 5;  // wParam: auto-close generation; lParam: grace left in ms
constexpr UINT WM_PAUSED_LOOK = WM_APP + 6;       // wParam: the paused timer's kind
constexpr UINT WM_TELL_FAILURE = WM_APP + 7;      // wParam: the FailureNotice
constexpr UINT WM_FLASH_WINDOW = WM_APP + 16;     // wParam: 1 flash until stopped, 0 stop

// What a worker's failure tells the user.
enum FailureNotice : WPARAM { NOTICE_SETTINGS_WRITE, NOTICE_SETTINGS_DISK_FULL, NOTICE_THREAD };
const wchar_t* failureNoticeText(FailureNotice notice);
// A failure on a worker thread, told by the window (the main window when window is gone or
// null): posted, so the worker goes on at once, and the box belongs to the window.
void tellFailure(HWND window, FailureNotice notice);
// WM_TELL_FAILURE on the window thread: the box on a thread of its own, owned by the window.
void onTellFailure(HWND window, WPARAM notice);

// Another one when the shell took the embedded window with it (workers read it); null while
// the window thread makes that one.
extern std::atomic<HWND> mainWindow;
// The window a worker was started with, or the main window that took its place (waited for, for
// at most 3 s, while the window thread makes it).
HWND followMainWindow(HWND window);
// On the window thread: the shell took the main window, and a new one is being made.
void loseMainWindow();
// The new main window (or null when none could be made): workers wait no longer.
void setMainWindow(HWND window);

// Requests from worker threads: the running look for timerKind, the idle look, the paused look
// for timerKind, and the auto-close countdown's title for the countdown of this generation with
// leftMs of grace to go.
void showRunningLook(HWND window);
void showIdleLook(HWND window);
void showPausedLook(HWND window);
void showAutoCloseTitle(HWND window, uint32_t generation, uint32_t leftMs);

// A copy of a sound path in one of a ring of buffers that live for the whole run, for a play
// request: a new start may reload (and move) the step list while the request waits. Null when
// every buffer still holds a request that has not been read (that sound is left out).
const wchar_t* keepSoundPathForRequest(const wchar_t* path);
// The window thread has read the request's path: its buffer may be taken again.
void releaseSoundRequestPath(const wchar_t* path);
// True when path is the start of one of those buffers.
bool isSoundRequestPath(const wchar_t* path);
