#include "shell/looks.h"

#include "res/resource.h"
#include "shell/tray_icon.h"
#include "timers/timer_state.h"

namespace {

HICON idleIcon = nullptr, runningIcon = nullptr;

HICON sharedIcon(HWND window, HICON& slot, int id) {
  if (!slot) {
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrW(window, GWLP_HINSTANCE);
    slot = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, 0, 0, LR_SHARED);
  }
  return slot;
}

void showLook(HWND window, HICON icon, const wchar_t* title) {
  SetClassLongPtrW(window, GCLP_HICONSM, (LONG_PTR)icon);
  SetClassLongPtrW(window, GCLP_HICON, (LONG_PTR)icon);
  SetWindowTextW(window, title);
  if (trayIconShown(window)) modifyTrayIcon(window, icon, title);
}

}  // namespace

const wchar_t* runningTitle(int kind) {
  switch (kind) {
    case TIMER_KIND_INTERVAL: return L"間隔指定タイマー作動中 - Velmora";
    case TIMER_KIND_PROGRAM: return L"プログラムタイマー作動中 - Velmora";
    default: return L"時刻指定タイマー作動中 - Velmora";
  }
}

void showRunningLook(HWND window) {
  showLook(window, sharedIcon(window, runningIcon, IDI_RUNNING), runningTitle(timerKind));
}

void showIdleLook(HWND window) { showLook(window, sharedIcon(window, idleIcon, IDI_IDLE), L"Velmora"); }

void setTitleAndTip(HWND window, const wchar_t* title) {
  SetWindowTextW(window, title);
  if (trayIconShown(window)) modifyTrayIcon(window, nullptr, title);
}

void cancelAutoCloseLook(HWND window) {
  autoCloseThreadId = 0;
  setTitleAndTip(window, L"Velmora");
}
