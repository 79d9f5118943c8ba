// The alarm through the media control interface, the tick sound and the alarm dialog (208).
#pragma once
#include <windows.h>
#include <cstddef>

// Filter of the alarm file chooser last used; -1 until the first browse.
extern int alarmFilterIndex;
// Loop flag of the latest play request.
extern int alarmLoopFlag;

// WM_APP+1 on the window thread: open the path as "alarm" and play it with notification.
// Only ALARM_FILE and the sound request buffers are accepted as the path.
void onPlaySoundRequest(HWND window, WPARAM pathPointer, LPARAM loopFlag);
// MM_MCINOTIFY on the window thread: replays from the start while the loop flag is set.
void onAlarmNotify(HWND window, WPARAM code);
// Stops and closes every sound, then opens the path as "alarm"; on failure shows MCI's error
// text in one asynchronous box. TRUE when the file was opened.
BOOL loadAlarm(HWND owner, const wchar_t* path);
// A new main window: the alarm playing now tells the end of its play there.
void alarmNotifiesWindow(HWND window);
// "status alarm mode" answers "playing".
bool isAlarmPlaying();
// Stops the alarm; the device stays open (closed by the next loadAlarm or at exit).
void stopAlarm();
// The tick of every second (asynchronous, silent when the file is missing).
void playSecondTick();
INT_PTR CALLBACK alarmSoundDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The open command for a path. False when the path cannot be put inside the quotes safely:
// it contains a double quote (which would end the name and let the rest of the path be read
// as MCI command words) or the command would not fit into `size` characters.
bool buildAlarmOpenCommand(const wchar_t* path, wchar_t* command, size_t size);
