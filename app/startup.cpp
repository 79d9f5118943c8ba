#include "app/startup.h"

#include <shellapi.h>
#include <commctrl.h>
#include <cstdlib>

#include "app/main_window.h"
#include "app/settings.h"
#include "app/window_placement.h"
#include "display/transparency.h"
#include "display/z_order.h"
#include "programs/program_file.h"
#include "res/resource.h"
#include "shell/looks.h"
#include "shell/tray_icon.h"
#include "timers/countdown.h"
#include "timers/program_runner.h"
#include "timers/resume.h"
#include "timers/timer_state.h"

COLORREF customColors[16];
COLORREF transparentKeyColor = RGB(111, 111, 111);
HBRUSH backgroundBrush = nullptr;
HBRUSH keyColorBrush = nullptr;
HWND mainWindow = nullptr;

COLORREF keyColourAvoiding(COLORREF key, COLORREF text) {
  if ((key & 0xFFFFFF) == (text & 0xFFFFFF)) return key ^ 0x010101;
  return key;
}

CommandLineInterval intervalFromArgument(const wchar_t* argument) {
  CommandLineInterval r{false, 0, 0, 0};
  int count = argument ? _wtoi(argument) : 0;
  if (count < 1) return r;
  r.given = true;
  r.hours = count / 3600;
  if (r.hours > 1193) r.hours = 1193;
  r.minutes = (count % 3600) / 60;
  r.seconds = count % 60;
  return r;
}

ATOM registerMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = mainWindowProc;
  wc.hInstance = instance;
  const LookIcons icons = lookIcons(instance, IDI_IDLE);
  wc.hIcon = icons.large;
  wc.hIconSm = icons.small;
  wc.hCursor = (HCURSOR)LoadImageW(nullptr, IDC_ARROW, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE);
  // No background brush: the painter covers every pixel, so nothing is ever erased.
  wc.hbrBackground = (HBRUSH)GetStockObject(NULL_BRUSH);
  wc.lpszClassName = L"VELMORA";
  return RegisterClassExW(&wc);
}

HWND createMainWindow(HINSTANCE instance, int showCommand) {
  DWORD exStyle = ((IN_TRAY || ALWAYS_TRAY) && HIDE_TASKBAR) ? WS_EX_TOOLWINDOW : 0;
  HWND window;
  int iconic = 0, zoomed = 0;
  if (WIN_SAVE) {
    WindowBox saved{};
    readWindowRect(&saved.left, &saved.top, &saved.width, &saved.height);
    // A monitor that is gone or a lowered resolution must not leave the window out of sight.
    const WindowBox box = placeOnNearestMonitor(saved);
    const int left = box.left, top = box.top, width = box.width, height = box.height;
    int layered = readWindowInt(L"LAYERED", 0);
    iconic = readWindowInt(L"ICONIC", 0);
    zoomed = readWindowInt(L"ZOOMED", 0);
    if (layered) {
      if (UNTOUCHABLE) exStyle |= WS_EX_TRANSPARENT;
      exStyle |= WS_EX_LAYERED;
      window = CreateWindowExW(exStyle, L"VELMORA", L"Velmora",
                               WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, left, top,
                               width, height, nullptr, nullptr, instance, nullptr);
      if (window) applyLayeredAttributes(window);
    } else {
      window = CreateWindowExW(exStyle, L"VELMORA", L"Velmora", WS_OVERLAPPEDWINDOW, left, top,
                               width, height, nullptr, nullptr, instance, nullptr);
    }
  } else {
    window = CreateWindowExW(exStyle, L"VELMORA", L"Velmora", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                             instance, nullptr);
  }
  if (!window) return nullptr;
  mainWindow = window;

  if (Z_ORDER == 2 && !embedInDesktop(window)) Z_ORDER = 0;  // the file keeps 2

  if (UNTOUCHABLE == 2) {
    ShowWindow(window, SW_SHOW);
  } else if (WIN_SAVE) {
    if (zoomed)
      ShowWindow(window, SW_SHOWMAXIMIZED);
    else if (iconic)
      ShowWindow(window, SW_SHOWMINIMIZED);
    else if (Z_ORDER != 2)
      ShowWindow(window, SW_SHOW);
    else {
      ShowWindow(window, SW_SHOWMINIMIZED);
      ShowWindow(window, SW_RESTORE);
    }
  } else {
    ShowWindow(window, showCommand);
  }

  // The read-out first: the tray icon (a call that waits for the shell) comes right after.
  UpdateWindow(window);
  if (ALWAYS_TRAY || (Z_ORDER == 2 && IsIconic(window))) addTrayIcon(window);
  if (Z_ORDER == 1) SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  return window;
}

int startFromCommandLine(HWND window) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return 0;
  CommandLineInterval interval = intervalFromArgument(argc >= 2 ? argv[1] : nullptr);
  LocalFree(argv);
  if (!interval.given) return 0;
  intervalHours = interval.hours;
  intervalMinutes = interval.minutes;
  intervalSeconds = interval.seconds;
  repeatCount = 0;
  HANDLE thread = CreateThread(nullptr, 0, intervalStartThread, window, 0, nullptr);
  if (!thread)
    MessageBoxW(window, L"タイマーのスレッドの作成に失敗しました", L"Velmora", MB_ICONERROR);
  else
    CloseHandle(thread);
  return 1;
}

int runVelmora(HINSTANCE instance, int showCommand) {
  for (COLORREF& c : customColors) c = 0x00FFFFFF;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  loadSettings();

  backgroundBrush = CreateSolidBrush(backgroundColour);
  if (!backgroundBrush) return -1;
  transparentKeyColor = keyColourAvoiding(transparentKeyColor, textColour);
  keyColorBrush = CreateSolidBrush(transparentKeyColor);
  if (!keyColorBrush) {
    DeleteObject(backgroundBrush);
    return -1;
  }
  auto deleteBrushes = [] {
    DeleteObject(backgroundBrush);
    DeleteObject(keyColorBrush);
  };
  if (!registerMainWindowClass(instance)) {
    deleteBrushes();
    return -1;
  }
  if (!createMainWindow(instance, showCommand)) {
    deleteBrushes();
    return -1;
  }
  HACCEL accelerators = LoadAcceleratorsW(instance, L"VELMORA_ACC");
  // Before anything loads a program timer: a move cut short leaves a slot without its file.
  recoverProgramTimerMoveAtStart(mainWindow);

  if (!startFromCommandLine(mainWindow)) resumeTimer(mainWindow);

  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // F4's command id 0 is also the id of the system menu's separators: TranslateAcceleratorW
    // finds one, takes it for a disabled menu item and sends nothing. Send the command here.
    if (message.message == WM_KEYDOWN && message.wParam == VK_F4 && GetKeyState(VK_SHIFT) >= 0 &&
        GetKeyState(VK_CONTROL) >= 0) {
      SendMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(CMD_STOP_ALARM, 1), 0);
      continue;
    }
    if (!TranslateAcceleratorW(mainWindow, accelerators, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  deleteBrushes();
  releaseProgramStepsAtExit();
  return (int)message.wParam;
}
