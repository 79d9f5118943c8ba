#include "shell/tray_icon.h"

#include <atomic>
#include <cwchar>

#include "common/click_timing.h"
#include "common/settings.h"
#include "common/window_requests.h"
#include "display/z_order.h"
#include "shell/alarm.h"

NOTIFYICONDATAW trayIconData{};
BOOL(WINAPI* shellNotifyIcon)(DWORD, PNOTIFYICONDATAW) = Shell_NotifyIconW;

namespace {

bool isFramed(HWND window) {
  return (GetWindowLongW(window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME)) != 0;
}

void setStyleBits(HWND window, int index, LONG bits, bool on) {
  LONG style = GetWindowLongW(window, index);
  SetWindowLongW(window, index, on ? (style | bits) : (style & ~bits));
}

// Mode 1 is stored but its icon could not be added at start-up (no taskbar yet): until it can
// be, the window takes clicks as in mode 0, while the choice stays 1 in memory and in the file.
bool clickThroughWaitsForTray = false;

// The shell's notification area may not be ready yet (a program started with Windows): a
// failed add is tried again every 2 s for a minute, while the icon is still wanted.
constexpr UINT_PTR kTrayRetryTimer = 0x7E1;
constexpr int kTrayRetries = 30;
int trayRetriesLeft = 0;
HWND trayRetryWindow = nullptr;
std::atomic<bool> trayIconPresent{false};  // read by workers choosing a balloon

void CALLBACK retryTrayIcon(HWND window, UINT, UINT_PTR, DWORD);

void retryTrayIconLater(HWND window) {
  if (trayRetriesLeft > 0 && trayRetryWindow == window) return;  // already retrying: the count goes on
  trayRetriesLeft = kTrayRetries;
  trayRetryWindow = window;
  SetTimer(window, kTrayRetryTimer, 2000, retryTrayIcon);
}

// Steps 3 to 5 of a mode change: the styles and the background window of the mode.
void applyClickThroughStyles(HWND window, int mode) {
  setStyleBits(window, GWL_EXSTYLE, WS_EX_TRANSPARENT, mode != 0 && !isFramed(window));

  if (mode == 2) {
    setStyleBits(window, GWL_STYLE, WS_MAXIMIZEBOX, false);
    ShowWindow(window, SW_RESTORE);
    if (!backgroundWindow) backgroundWindow = createBackgroundWindow(window);
    return;
  }
  if (mode == 1) ALWAYS_TRAY = 1;
  setStyleBits(window, GWL_STYLE, WS_MAXIMIZEBOX, true);
  if (HWND background = backgroundWindow) PostMessageW(background, WM_CLOSE, 0, 0);
  backgroundWindow = nullptr;
}

void waitForTray(HWND window) {
  clickThroughWaitsForTray = true;
  // Notices go to message boxes while there is no icon to show a balloon.
  ALWAYS_TRAY = 0;
  applyClickThroughStyles(window, 0);
}

// The icon is there again: mode 1 comes back.
void endWaitForTray(HWND window) {
  clickThroughWaitsForTray = false;
  applyClickThroughStyles(window, 1);
}

void CALLBACK retryTrayIcon(HWND window, UINT, UINT_PTR, DWORD) {
  const bool wanted = trayIconShown(window) || (clickThroughWaitsForTray && UNTOUCHABLE == 1);
  if (!wanted || trayIconPresent || --trayRetriesLeft <= 0) {
    trayRetriesLeft = 0;
    KillTimer(window, kTrayRetryTimer);
    return;
  }
  if (clickThroughWaitsForTray && UNTOUCHABLE == 1)
    onTaskbarCreated(window);  // brings mode 1 back with the icon
  else
    addTrayIcon(window);
}

void bringToFront(HWND window) {
  SetForegroundWindow(window);
  if (HWND background = backgroundWindow) SetForegroundWindow(background);
}

}  // namespace

BOOL addTrayIcon(HWND window) {
  trayIconData = NOTIFYICONDATAW{};
  trayIconData.cbSize = NOTIFYICONDATAW_V2_SIZE;
  trayIconData.hWnd = window;
  trayIconData.uID = 1;
  trayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  trayIconData.uCallbackMessage = WM_TRAY_CALLBACK;
  trayIconData.hIcon = (HICON)GetClassLongPtrW(window, GCLP_HICONSM);
  GetWindowTextW(window, trayIconData.szTip, 128);
  // An add fails for an icon that is already there (a retry just before "TaskbarCreated", or
  // that message twice): the icon is there all the same when the shell takes a change to it.
  trayIconPresent =
      shellNotifyIcon(NIM_ADD, &trayIconData) != FALSE || shellNotifyIcon(NIM_MODIFY, &trayIconData) != FALSE;
  if (!trayIconPresent) retryTrayIconLater(window);
  return trayIconPresent;
}

BOOL removeTrayIcon() {
  trayIconPresent = false;
  return shellNotifyIcon(NIM_DELETE, &trayIconData);
}

bool trayIconShown(HWND window) {
  return ALWAYS_TRAY || !IsWindowVisible(window) || (Z_ORDER == 2 && IsIconic(window));
}

void modifyTrayIcon(HWND window, HICON icon, const wchar_t* tip) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = 1;
  data.uFlags = NIF_TIP | (icon ? NIF_ICON : 0);
  data.hIcon = icon;
  wcsncpy_s(data.szTip, tip ? tip : L"", _TRUNCATE);
  shellNotifyIcon(NIM_MODIFY, &data);
}

// A balloon needs the icon itself: while its add waits for the shell, a box tells instead.
bool balloonPreferred(HWND window) { return BALLOON && trayIconShown(window) && trayIconPresent; }

void showBalloon(HWND window, const wchar_t* text, const wchar_t* title) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = 1;
  data.uFlags = NIF_INFO;
  // Shown as a notification on newer systems: its own sound would play over the alarm, and
  // its icon is the program's rather than the shell's information sign.
  data.dwInfoFlags = NIIF_USER | NIIF_NOSOUND | NIIF_LARGE_ICON;
  data.hBalloonIcon = (HICON)GetClassLongPtrW(window, GCLP_HICON);
  wcsncpy_s(data.szInfoTitle, title ? title : L"", _TRUNCATE);
  wcsncpy_s(data.szInfo, text ? text : L"", _TRUNCATE);
  shellNotifyIcon(NIM_MODIFY, &data);
}

void applyTrayOptions(HWND window) {
  removeTrayIcon();
  if (ALWAYS_TRAY && !addTrayIcon(window)) {
    IN_TRAY = 0;
    ALWAYS_TRAY = 0;
    setMousePassThrough(window, 14);
    MessageBoxW(window, L"トレイアイコンの追加に失敗しました。\nタスクトレイに入れる設定を変更します。", L"Velmora",
                MB_ICONERROR);
  } else if (ALWAYS_TRAY && clickThroughWaitsForTray && UNTOUCHABLE == 1) {
    endWaitForTray(window);
  }

  // The taskbar takes a changed WS_EX_TOOLWINDOW into account only when the window is shown anew.
  LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  ShowWindow(window, SW_HIDE);
  if ((IN_TRAY || ALWAYS_TRAY) && HIDE_TASKBAR)
    exStyle |= WS_EX_TOOLWINDOW;
  else
    exStyle &= ~WS_EX_TOOLWINDOW;
  SetWindowLongW(window, GWL_EXSTYLE, exStyle);
  ShowWindow(window, SW_SHOW);
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);

  if (WIN_SAVE && !IsZoomed(window) && !IsIconic(window)) {
    saveWindowPosition(window);
    saveWindowSize(window);
  }
  InvalidateRect(window, nullptr, FALSE);

  const IntKeyValue keys[] = {
      {L"UNTOUCHABLE", UNTOUCHABLE}, {L"ALWAYS_TRAY", ALWAYS_TRAY},
      {L"IN_TRAY", IN_TRAY},         {L"HIDE_TASKBAR", HIDE_TASKBAR},
      {L"EXIT_CHECK", EXIT_CHECK},   {L"START_SYURYO_CHECK", START_SYURYO_CHECK},
      {L"BALLOON", BALLOON},         {L"WIN_SAVE", WIN_SAVE},
      {L"JIKOKU_LOOP", JIKOKU_LOOP},
  };
  writeOptionGroup(window, keys, 9);
}

void setMousePassThrough(HWND window, int command) {
  int mode = command - 14;
  if (mode < 0 || mode > 2) return;
  if (mode == 1) {
    // A window that lets every click through can only be reached from the tray.
    removeTrayIcon();
    if (!addTrayIcon(window)) {
      ALWAYS_TRAY = 0;
      IN_TRAY = 0;
      writeOptionInt(L"ALWAYS_TRAY", 0);
      writeOptionInt(L"IN_TRAY", 0);
      MessageBoxW(window, L"トレイアイコンの追加に失敗しました。\n設定の変更をキャンセルします。", L"Velmora",
                  MB_ICONERROR);
      // Mode 1 already in effect, its icon gone with the shell: a window that ignores every
      // click and has no icon could not be reached, so it takes clicks until the icon is back.
      if (UNTOUCHABLE == 1) waitForTray(window);
      return;
    }
    ALWAYS_TRAY = 1;
  }
  clickThroughWaitsForTray = false;
  UNTOUCHABLE = mode;
  writeOptionInt(L"UNTOUCHABLE", mode);
  applyClickThroughStyles(window, mode);
}

void applyClickThroughAtStart(HWND window) {
  if (UNTOUCHABLE != 1) {
    setMousePassThrough(window, 14 + UNTOUCHABLE);
    return;
  }
  removeTrayIcon();
  if (!addTrayIcon(window)) {
    // Started before the taskbar: "TaskbarCreated" brings the icon and mode 1 back. Nothing
    // is written and nothing is shown; the user's choice is only suspended.
    waitForTray(window);
    return;
  }
  clickThroughWaitsForTray = false;
  applyClickThroughStyles(window, 1);
}

int activeClickThroughMode() { return clickThroughWaitsForTray && UNTOUCHABLE == 1 ? 0 : (int)UNTOUCHABLE; }

bool clickThroughWaitingForTray() { return clickThroughWaitsForTray; }

void onTaskbarCreated(HWND window) {
  if (clickThroughWaitsForTray && UNTOUCHABLE == 1) {
    if (addTrayIcon(window)) endWaitForTray(window);
    return;
  }
  // The restarted shell has forgotten every icon: ours comes back only where it was shown.
  if (trayIconShown(window)) addTrayIcon(window);
}

void trayToggleWindow(ClickTimingRecord* record) {
  HWND window = record->window;
  if (Z_ORDER != 2) {
    if (IN_TRAY) {
      if (IsWindowVisible(window)) {
        ShowWindow(window, SW_HIDE);
        return;
      }
      if (!ALWAYS_TRAY && !removeTrayIcon()) return;
      ShowWindow(window, SW_SHOW);
      bringToFront(window);
      return;
    }
    if (IsIconic(window)) {
      ShowWindow(window, SW_RESTORE);
      if (backgroundWindow) bringToFront(window);
      return;
    }
  } else if (IsIconic(window)) {
    if (ALWAYS_TRAY || removeTrayIcon()) ShowWindow(window, SW_RESTORE);
    return;
  }
  ShowWindow(window, SW_MINIMIZE);
}

void trayLeftDoubleClick(HWND window) {
  if (isAlarmPlaying()) {
    stopAlarm();
    return;
  }
  ShowWindow(window, SW_SHOW);
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  if (!ALWAYS_TRAY) removeTrayIcon();
  SetForegroundWindow(window);
}

bool onMinimiseRequest(HWND window) {
  if (Z_ORDER == 2 && !ALWAYS_TRAY) {
    addTrayIcon(window);
    return false;
  }
  if (IN_TRAY && (ALWAYS_TRAY || addTrayIcon(window))) {
    ShowWindow(window, SW_HIDE);
    return true;
  }
  return false;
}
