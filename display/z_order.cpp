#include "display/z_order.h"

#include "common/settings.h"
#include "common/window_requests.h"
#include "display/colours_and_font.h"
#include "display/display_shell.h"
#include "display/look_icons.h"
#include "display/transparency.h"
#include "res/resource.h"

HWND backgroundWindow = nullptr;
HWND desktopHost = nullptr;
HWND backgroundWindowOwner = nullptr;
WNDCLASSEXW backgroundWindowClass{};

namespace {

const wchar_t kBackgroundClass[] = L"VELMORA_BG";

// Timers of the background window.
constexpr UINT_PTR kActivateTimer = 1;        // hands the activation back after a click
constexpr UINT_PTR kDoubleClickTimer = 2;     // the same, one double-click time later
constexpr UINT_PTR kHoverTimer = 11;          // notices that the mouse has left

DWORD lastPressTick = 0;
DWORD lastRightPressTick = 0;
bool hoverOpaque = false;

void fillBackgroundClass(HINSTANCE instance) {
  backgroundWindowClass = programWindowClass(instance, backgroundWindowProc, backgroundBrush, kBackgroundClass);
}

void removeTrayIconUnlessAlways() {
  if (!ALWAYS_TRAY) displayShell.removeTrayIcon();
}

void onBackgroundTimer(HWND window, UINT_PTR id) {
  switch (id) {
    case kActivateTimer: {
      KillTimer(window, kActivateTimer);
      DWORD now = GetTickCount();
      if (now - lastPressTick < 200)
        SetTimer(window, kDoubleClickTimer, GetDoubleClickTime(), nullptr);  // may become a double click
      else if (now - lastRightPressTick > 200)
        SetActiveWindow(backgroundWindowOwner);  // a right click hands it back on button-up
      break;
    }
    case kDoubleClickTimer:
      KillTimer(window, kDoubleClickTimer);
      SetActiveWindow(backgroundWindowOwner);
      break;
    case kHoverTimer: {
      POINT cursor{};
      GetCursorPos(&cursor);
      if (WindowFromPoint(cursor) != window) {
        KillTimer(window, kHoverTimer);
        SetLayeredWindowAttributes(window, 0, 1, LWA_ALPHA);
        hoverOpaque = false;
      }
      break;
    }
    default: break;
  }
}

}  // namespace

BOOL CALLBACK findDesktopHost(HWND window, LPARAM hostOut) {
  wchar_t name[256] = L"";
  GetClassNameW(window, name, 256);
  if ((lstrcmpW(name, L"Progman") == 0 || lstrcmpW(name, L"WorkerW") == 0) &&
      FindWindowExW(window, nullptr, L"SHELLDLL_DefView", nullptr)) {
    *(HWND*)hostOut = window;
    return FALSE;
  }
  return TRUE;
}

POINT hostPointFromScreen(POINT screen, POINT hostClientOrigin) {
  return {screen.x - hostClientOrigin.x, screen.y - hostClientOrigin.y};
}

BOOL embedInDesktop(HWND window) {
  HWND host = nullptr;
  EnumWindows(findDesktopHost, (LPARAM)&host);
  desktopHost = host;
  if (!host) host = GetDesktopWindow();
  if (!host) return FALSE;
  // No shell (yet): a top-level window at the back until "TaskbarCreated" brings one.
  SetWindowPos(window, desktopHost ? HWND_NOTOPMOST : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RECT screen{};
  GetWindowRect(window, &screen);
  if (isFramed(window)) {
    SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetParent(window, host);
    SetLayeredWindowAttributes(window, 0, 0, 0);  // layered, but neither key nor alpha: opaque
  } else {
    SetParent(window, host);
    SetLayeredWindowAttributes(window, 0, 0, 0);
    applyLayeredAttributes(window);
  }
  // The window keeps its coordinates, now read from the host's client area, which starts at
  // the virtual screen's corner: left of or above the primary monitor on some desktops.
  POINT origin{0, 0};
  if (desktopHost) ClientToScreen(host, &origin);
  const POINT at = hostPointFromScreen({screen.left, screen.top}, origin);
  SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (IsWindow(backgroundWindow)) SetParent(backgroundWindow, host);
  return TRUE;
}

bool embeddedInShell() { return desktopHost && IsWindow(desktopHost); }

void embedAgainWhenShellIsBack(HWND window) {
  if (Z_ORDER != 2 || embeddedInShell()) return;
  HWND host = nullptr;
  EnumWindows(findDesktopHost, (LPARAM)&host);
  if (host) embedInDesktop(window);
}

BOOL leaveDesktop(HWND window) {
  if (IsWindow(backgroundWindow)) SetParent(backgroundWindow, nullptr);
  RECT screen{};
  GetWindowRect(window, &screen);
  SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) & ~WS_EX_LAYERED);
  SetParent(window, nullptr);
  if (desktopHost)
    SetWindowPos(window, nullptr, screen.left, screen.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  desktopHost = nullptr;
  if (!isFramed(window)) {
    // Dropping and adding the style back clears what the embedded window had.
    SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    applyLayeredAttributes(window);
  }
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  removeTrayIconUnlessAlways();
  return TRUE;
}

void setZOrder(HWND window, int command) {
  switch (command) {
    case 11:
      leaveDesktop(window);
      SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE);
      Z_ORDER = 0;
      break;
    case 12:
      leaveDesktop(window);
      SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE);
      Z_ORDER = 1;
      break;
    case 13:
      if (embedInDesktop(window)) {
        ShowWindow(window, SW_MINIMIZE);
        ShowWindow(window, SW_RESTORE);
        removeTrayIconUnlessAlways();
        Z_ORDER = 2;
      }
      break;
    default: return;
  }
  writeOptionInt(L"Z_ORDER", Z_ORDER);  // a failure is ignored
}

HWND createBackgroundWindow(HWND mainWindow) {
  if (!backgroundWindowOwner) {
    backgroundWindowOwner = mainWindow;
    fillBackgroundClass((HINSTANCE)GetWindowLongPtrW(mainWindow, GWLP_HINSTANCE));
    RegisterClassExW(&backgroundWindowClass);
  }
  RECT r{};
  GetWindowRect(mainWindow, &r);
  DWORD style = WS_POPUP | (IsWindowVisible(mainWindow) ? WS_VISIBLE : 0);
  backgroundWindow = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, kBackgroundClass, L"Velmora BG", style,
                                     r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                     backgroundWindowClass.hInstance, nullptr);
  if (backgroundWindow) {
    // Opacity 1 of 255: invisible to the eye, but it still takes the clicks.
    SetLayeredWindowAttributes(backgroundWindow, 0, 1, LWA_ALPHA);
    // The class may still hold a freed brush: registering it anew fails while a closed
    // background window has not yet gone away.
    if ((HBRUSH)GetClassLongPtrW(backgroundWindow, GCLP_HBRBACKGROUND) != backgroundBrush) {
      SetClassLongPtrW(backgroundWindow, GCLP_HBRBACKGROUND, (LONG_PTR)backgroundBrush);
      backgroundWindowClass.hbrBackground = backgroundBrush;
    }
  }
  return backgroundWindow;
}

void refreshBackgroundWindowBrush() {
  if (!backgroundWindowOwner) return;
  if (IsWindow(backgroundWindow)) {
    SetClassLongPtrW(backgroundWindow, GCLP_HBRBACKGROUND, (LONG_PTR)backgroundBrush);
    backgroundWindowClass.hbrBackground = backgroundBrush;
    InvalidateRect(backgroundWindow, nullptr, TRUE);
    return;
  }
  // No window to change the class through: register it again with the new brush.
  fillBackgroundClass(backgroundWindowClass.hInstance);
  UnregisterClassW(kBackgroundClass, backgroundWindowClass.hInstance);
  RegisterClassExW(&backgroundWindowClass);
}

LRESULT CALLBACK backgroundWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      SetTimer(window, kActivateTimer, 100, nullptr);
      break;
    case WM_TIMER: onBackgroundTimer(window, wParam); return 0;
    case WM_MOUSEMOVE:
      SetTimer(window, kHoverTimer, 1000, nullptr);
      if (!hoverOpaque) {
        hoverOpaque = true;
        SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN: lastPressTick = GetTickCount(); break;
    case WM_RBUTTONDOWN: lastRightPressTick = GetTickCount(); break;
    case WM_RBUTTONUP:
      SetActiveWindow(backgroundWindowOwner);
      PostMessageW(backgroundWindowOwner, message, wParam, lParam);
      break;
    case WM_LBUTTONDBLCLK:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK: PostMessageW(backgroundWindowOwner, message, wParam, lParam); break;
    default: break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
