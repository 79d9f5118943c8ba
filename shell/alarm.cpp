#include "shell/alarm.h"

#include <cwchar>

#include "common/dialog_helpers.h"
#include "common/late_libraries.h"
#include "common/message_async.h"
#include "common/settings.h"
#include "common/sound_files.h"
#include "common/window_requests.h"
#include "res/resource.h"

int alarmFilterIndex = -1;
int alarmLoopFlag = 0;

namespace {

const wchar_t kLoadErrorCaption[] = L"アラームファイルの読み込みエラー - Velmora";
const wchar_t kPlayErrorCaption[] = L"アラームの再生エラー - Velmora";

void mci(const wchar_t* command, HWND callback = nullptr) { winmmSendString(command, nullptr, 0, callback); }
// Stopping and asking need no media DLL while none is loaded: nothing can be open then.
void mciIfLoaded(const wchar_t* command) { winmmSendStringIfLoaded(command, nullptr, 0, nullptr); }

// The only device this program ever opens is the alias "alarm" (each open closes all others
// first), so play, seek and stop name it: Wine refuses those three for the device "all"
// (MCIERR_CANNOT_USE_ALL), while "close all" works everywhere.
const wchar_t kPlay[] = L"play alarm notify";
const wchar_t kSeekToStart[] = L"seek alarm to start";
const wchar_t kStop[] = L"stop alarm";

// No audio device, or it went away: told as a load error is, with MCI's own words.
void play(HWND window) {
  const MCIERROR error = winmmSendString(kPlay, nullptr, 0, window);
  if (!error) return;
  wchar_t text[1024];
  if (!winmmErrorString(error, text, 1024)) text[0] = L'\0';
  showMessageAsync(window, text, kPlayErrorCaption, MB_ICONERROR);
}

const int kAlarmFileControls[] = {IDC_ALARM_FILE, IDC_ALARM_LOOP, IDC_ALARM_BROWSE};

void onAlarmDialogInit(HWND dialog) {
  setChecked(dialog, IDC_ALARM_PLAY, ALARM_PLAY);
  SendDlgItemMessageW(dialog, IDC_ALARM_FILE, EM_LIMITTEXT, 519, 0);
  SetDlgItemTextW(dialog, IDC_ALARM_FILE, ALARM_FILE);
  setChecked(dialog, IDC_ALARM_LOOP, ALARM_LOOP);
}

void browseAlarmFile(HWND dialog) {
  wchar_t file[520] = L"";
  GetDlgItemTextW(dialog, IDC_ALARM_FILE, file, 520);
  if (!chooseSoundFile(dialog, L"アラーム音ファイル指定", file, &alarmFilterIndex)) return;
  SetDlgItemTextW(dialog, IDC_ALARM_FILE, file);
}

void onAlarmDialogOk(HWND dialog) {
  ALARM_PLAY = isChecked(dialog, IDC_ALARM_PLAY);
  ALARM_LOOP = isChecked(dialog, IDC_ALARM_LOOP);
  wchar_t file[520] = L"";
  GetDlgItemTextW(dialog, IDC_ALARM_FILE, file, 520);
  wcscpy_s(ALARM_FILE, file[0] ? file : L"alarm.wav");
  EndDialog(dialog, 1);
}

}  // namespace

bool buildAlarmOpenCommand(const wchar_t* path, wchar_t* command, size_t size) {
  if (!path || wcschr(path, L'"')) return false;
  int written = _snwprintf(command, size, L"open \"%ls\" alias alarm", path);
  if (written < 0 || (size_t)written >= size) {
    if (size) command[0] = L'\0';
    return false;
  }
  return true;
}

void onPlaySoundRequest(HWND window, WPARAM pathPointer, LPARAM loopFlag) {
  const wchar_t* path = reinterpret_cast<const wchar_t*>(pathPointer);
  // Any program on the desktop can post this message number: the pointer is read only when it
  // is one of this program's own sound paths, and anything else is ignored.
  if (path != ALARM_FILE && !isSoundRequestPath(path)) return;
  alarmLoopFlag = (int)loopFlag;
  BOOL loaded = loadAlarm(window, path);
  releaseSoundRequestPath(path);
  if (loaded) play(window);
}

void onAlarmNotify(HWND window, WPARAM code) {
  if (code == MCI_NOTIFY_FAILURE) {
    showMessageAsync(window, L"アラームを最後まで再生できませんでした", kPlayErrorCaption, MB_ICONERROR);
    return;
  }
  if (!alarmLoopFlag || code != MCI_NOTIFY_SUCCESSFUL) return;
  mci(kSeekToStart);
  play(window);
}

BOOL loadAlarm(HWND owner, const wchar_t* path) {
  mci(kStop);
  mci(L"close all");
  wchar_t buffer[1024];
  MCIERROR error;
  if (buildAlarmOpenCommand(path, buffer, 1024))
    error = winmmSendString(buffer, nullptr, 0, nullptr);
  else
    error = MCIERR_FILE_NOT_FOUND;  // no file of that name can exist
  if (error) {
    if (!winmmErrorString(error, buffer, 1024)) buffer[0] = L'\0';
    showMessageAsync(owner, buffer, kLoadErrorCaption, MB_ICONERROR);
    return FALSE;
  }
  mci(kSeekToStart);
  return TRUE;
}

void alarmNotifiesWindow(HWND window) {
  // MCI tells the end of a play to the window that asked for it; asked again, it plays on and
  // tells this one (the old one hears that it was superseded, if it is still there).
  if (isAlarmPlaying()) play(window);
}

bool isAlarmPlaying() {
  wchar_t mode[1024] = L"";
  if (winmmSendStringIfLoaded(L"status alarm mode", mode, 1024, nullptr) != 0) return false;
  return lstrcmpW(mode, L"playing") == 0;
}

void stopAlarm() {
  // An end of play already queued behind the stop must not start the loop again.
  alarmLoopFlag = 0;
  mciIfLoaded(kStop);
}

void playSecondTick() { winmmPlaySound(secondSoundPath, SND_FILENAME | SND_NODEFAULT | SND_ASYNC); }

INT_PTR CALLBACK alarmSoundDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  static const DialogButton buttons[] = {{IDC_ALARM_BROWSE, browseAlarmFile}};
  static const CheckBoxGroup groups[] = {{IDC_ALARM_PLAY, kAlarmFileControls}};
  static const OkCancelDialog handlers = {onAlarmDialogInit, onAlarmDialogOk, buttons, groups};
  return okCancelDialogMessage(dialog, message, wParam, handlers);
}
