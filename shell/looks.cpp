#include "shell/looks.h"

#include "res/resource.h"
#include "shell/tray_icon.h"
#include "timers/timer_state.h"

namespace {

LookIcons loadLookIcons(HINSTANCE instance, int id) {
  auto load = [&](int width, int height) {
    return (HICON)LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, GetSystemMetrics(width),
                             GetSystemMetrics(height), 0);
  };
  return {load(SM_CXICON, SM_CYICON), load(SM_CXSMICON, SM_CYSMICON)};
}

void showLook(HWND window, const LookIcons& icons, const wchar_t* title) {
  SetClassLongPtrW(window, GCLP_HICONSM, (LONG_PTR)icons.small);
  SetClassLongPtrW(window, GCLP_HICON, (LONG_PTR)icons.large);
  SetWindowTextW(window, title);
  if (trayIconShown(window)) modifyTrayIcon(window, icons.small, title);
}

HINSTANCE instanceOf(HWND window) { return (HINSTANCE)GetWindowLongPtrW(window, GWLP_HINSTANCE); }

}  // namespace

LookIcons lookIcons(HINSTANCE instance, int id) {
  // Loaded once and kept for the run: the window classes and the tray icon hold them.
  static const LookIcons idle = loadLookIcons(instance, IDI_IDLE);
  static const LookIcons running = loadLookIcons(instance, IDI_RUNNING);
  return id == IDI_RUNNING ? running : idle;
}

const wchar_t* runningTitle(int kind) {
  switch (kind) {
    case TIMER_KIND_INTERVAL: return L"間隔指定タイマー作動中 - Velmora";
    case TIMER_KIND_PROGRAM: return L"プログラムタイマー作動中 - Velmora";
    default: return L"時刻指定タイマー作動中 - Velmora";
  }
}

void showRunningLook(HWND window) {
  showLook(window, lookIcons(instanceOf(window), IDI_RUNNING), runningTitle(timerKind));
}

void showIdleLook(HWND window) { showLook(window, lookIcons(instanceOf(window), IDI_IDLE), L"Velmora"); }

void setTitleAndTip(HWND window, const wchar_t* title) {
  SetWindowTextW(window, title);
  if (trayIconShown(window)) modifyTrayIcon(window, nullptr, title);
}

void cancelAutoCloseLook(HWND window) {
  autoCloseThreadId = 0;
  setTitleAndTip(window, L"Velmora");
}
