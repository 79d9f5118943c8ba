// The alarm through the media control interface, the tick sound and the alarm dialog (208).
#pragma once
#include <windows.h>

// WM_APP+1 on the window thread: open the path as "alarm" and play it with notification.
void onPlaySoundRequest(HWND window, WPARAM pathPointer, LPARAM loopFlag);
BOOL loadAlarm(HWND owner, const wchar_t* path);
bool isAlarmPlaying();
void stopAlarm();
void playSecondTick();
INT_PTR CALLBACK alarmSoundDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
