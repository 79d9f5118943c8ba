#include "shell/looks.h"

#include "app/main_window.h"
#include "res/resource.h"
#include "shell/tray_icon.h"
#include "timers/auto_close.h"
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

void showRunningLook(HWND window) { PostMessageW(window, WM_RUNNING_LOOK, (WPARAM)timerKind.load(), 0); }

void showIdleLook(HWND window) { PostMessageW(window, WM_IDLE_LOOK, 0, 0); }

void showAutoCloseTitle(HWND window, uint32_t generation, uint32_t leftMs) {
  PostMessageW(window, WM_AUTO_CLOSE_TITLE, (WPARAM)generation, (LPARAM)leftMs);
}

bool applyLookRequest(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_RUNNING_LOOK:
      showLook(window, sharedIcon(window, runningIcon, IDI_RUNNING), runningTitle((int)wParam));
      return true;
    case WM_IDLE_LOOK: showLook(window, sharedIcon(window, idleIcon, IDI_IDLE), L"Velmora"); return true;
    case WM_AUTO_CLOSE_TITLE:
      // A countdown that was cancelled or replaced since it asked keeps its hands off the title.
      if ((uint32_t)wParam == autoCloseGeneration) setTitleAndTip(window, autoCloseTitle((uint32_t)lParam).text);
      return true;
    default: return false;
  }
}

void setTitleAndTip(HWND window, const wchar_t* title) {
  SetWindowTextW(window, title);
  if (trayIconShown(window)) modifyTrayIcon(window, nullptr, title);
}

void cancelAutoCloseLook(HWND window) {
  autoCloseThreadId = 0;
  autoCloseGeneration += 1;
  setTitleAndTip(window, L"Velmora");
}
