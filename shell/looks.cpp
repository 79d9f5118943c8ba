#include "shell/looks.h"

#include "common/timer_state.h"
#include "common/window_requests.h"
#include "display/look_icons.h"
#include "res/resource.h"
#include "shell/auto_close.h"
#include "shell/tray_icon.h"

namespace {

void showLook(HWND window, const LookIcons& icons, const wchar_t* title) {
  SetClassLongPtrW(window, GCLP_HICONSM, (LONG_PTR)icons.small);
  SetClassLongPtrW(window, GCLP_HICON, (LONG_PTR)icons.large);
  SetWindowTextW(window, title);
  if (trayIconShown(window)) modifyTrayIcon(window, icons.small, title);
}

HINSTANCE instanceOf(HWND window) { return (HINSTANCE)GetWindowLongPtrW(window, GWLP_HINSTANCE); }

}  // namespace

const wchar_t* runningTitle(int kind) {
  switch (kind) {
    case TIMER_KIND_INTERVAL: return L"間隔指定タイマー作動中 - Velmora";
    case TIMER_KIND_PROGRAM: return L"プログラムタイマー作動中 - Velmora";
    default: return L"時刻指定タイマー作動中 - Velmora";
  }
}

const wchar_t* pausedTitle(int kind) {
  switch (kind) {
    case TIMER_KIND_INTERVAL: return L"間隔指定タイマー一時停止中 - Velmora";
    case TIMER_KIND_PROGRAM: return L"プログラムタイマー一時停止中 - Velmora";
    default: return runningTitle(kind);  // a time-of-day count-down is never paused
  }
}

bool applyLookRequest(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_RUNNING_LOOK:
      showLook(window, lookIcons(instanceOf(window), IDI_RUNNING), runningTitle((int)wParam));
      return true;
    case WM_PAUSED_LOOK:
      showLook(window, lookIcons(instanceOf(window), IDI_PAUSED), pausedTitle((int)wParam));
      return true;
    case WM_IDLE_LOOK: showLook(window, lookIcons(instanceOf(window), IDI_IDLE), L"Velmora"); return true;
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

void cancelAutoCloseForRun(HWND window) {
  if (autoCloseThreadId.exchange(0) == 0) return;
  autoCloseGeneration += 1;
  // Posted: the start may run on a box's thread while the window thread waits for it.
  showIdleLook(window);
}

void cancelAutoCloseLook(HWND window) {
  autoCloseThreadId = 0;
  autoCloseGeneration += 1;
  setTitleAndTip(window, L"Velmora");
}
