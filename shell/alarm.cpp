#include "shell/alarm.h"

#include <mmsystem.h>

void onPlaySoundRequest(HWND, WPARAM, LPARAM) {}
BOOL loadAlarm(HWND, const wchar_t*) { return FALSE; }
bool isAlarmPlaying() { return false; }
void stopAlarm() { mciSendStringW(L"stop all", nullptr, 0, nullptr); }
void playSecondTick() {}
INT_PTR CALLBACK alarmSoundDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
