#include "shell/tray_icon.h"

#include <cwchar>

#include "app/click_timing.h"
#include "app/main_window.h"
#include "app/settings.h"

NOTIFYICONDATAW trayIconData{};

BOOL addTrayIcon(HWND window) {
  trayIconData = NOTIFYICONDATAW{};
  trayIconData.cbSize = NOTIFYICONDATAW_V2_SIZE;
  trayIconData.hWnd = window;
  trayIconData.uID = 1;
  trayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  trayIconData.uCallbackMessage = WM_TRAY_CALLBACK;
  trayIconData.hIcon = (HICON)GetClassLongPtrW(window, GCLP_HICON);
  GetWindowTextW(window, trayIconData.szTip, 128);
  return Shell_NotifyIconW(NIM_ADD, &trayIconData);
}

BOOL removeTrayIcon() { return Shell_NotifyIconW(NIM_DELETE, &trayIconData); }

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
  wcsncpy_s(data.szTip, tip, _TRUNCATE);
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

bool balloonPreferred(HWND window) { return BALLOON && trayIconShown(window); }

void showBalloon(HWND window, const wchar_t* text, const wchar_t* title) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = 1;
  data.uFlags = NIF_INFO;
  wcsncpy_s(data.szInfoTitle, title, _TRUNCATE);
  wcsncpy_s(data.szInfo, text, _TRUNCATE);
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

void applyTrayOptions(HWND) {}

void setMousePassThrough(HWND, int command) {
  UNTOUCHABLE = command - 14;
  writeOptionInt(L"UNTOUCHABLE", UNTOUCHABLE);
}

void trayToggleWindow(ClickTimingRecord*) {}
void trayLeftDoubleClick(HWND) {}
bool onMinimiseRequest(HWND) { return false; }
