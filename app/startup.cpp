#include "app/startup.h"

#include <objbase.h>
#include <shellapi.h>
#include <commctrl.h>
#include <cstdlib>

#include "app/main_window.h"
#include "app/window_placement.h"
#include "common/data_folder.h"
#include "common/message_async.h"
#include "common/settings.h"
#include "common/threads.h"
#include "common/timer_state.h"
#include "common/window_requests.h"
#include "display/colours_and_font.h"
#include "display/look_icons.h"
#include "display/transparency.h"
#include "display/z_order.h"
#include "programs/program_file.h"
#include "res/resource.h"
#include "shell/looks.h"
#include "shell/tray_icon.h"
#include "timers/countdown.h"
#include "timers/program_runner.h"
#include "timers/resume.h"

ATOM registerMainWindowClass(HINSTANCE instance) {
  // No background brush: the painter covers every pixel, so nothing is ever erased.
  const WNDCLASSEXW wc =
      programWindowClass(instance, mainWindowProc, (HBRUSH)GetStockObject(NULL_BRUSH), L"VELMORA");
  return RegisterClassExW(&wc);
}

namespace {

// The show commands that leave the keyboard where it is.
bool showsWithoutActivating(int showCommand) {
  return showCommand == SW_SHOWNOACTIVATE || showCommand == SW_SHOWNA || showCommand == SW_SHOWMINNOACTIVE;
}

}  // namespace

HWND createMainWindow(HINSTANCE instance, int showCommand) {
  const bool quiet = showsWithoutActivating(showCommand);
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
    // Every way of showing a window maximised activates it, but one made maximised is shown
    // as it is by SW_SHOWNA.
    const DWORD maximised = zoomed && quiet && UNTOUCHABLE != 2 ? WS_MAXIMIZE : 0;
    if (layered) {
      if (UNTOUCHABLE) exStyle |= WS_EX_TRANSPARENT;
      exStyle |= WS_EX_LAYERED;
      window = CreateWindowExW(exStyle, L"VELMORA", L"Velmora",
                               WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | maximised, left, top,
                               width, height, nullptr, nullptr, instance, nullptr);
      if (window) applyLayeredAttributes(window);
    } else {
      window = CreateWindowExW(exStyle, L"VELMORA", L"Velmora", WS_OVERLAPPEDWINDOW | maximised, left, top,
                               width, height, nullptr, nullptr, instance, nullptr);
    }
  } else {
    window = CreateWindowExW(exStyle, L"VELMORA", L"Velmora", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                             instance, nullptr);
  }
  if (!window) return nullptr;
  setMainWindow(window);

  if (Z_ORDER == 2 && !embedInDesktop(window)) Z_ORDER = 0;  // the file keeps 2

  if (UNTOUCHABLE == 2) {
    ShowWindow(window, quiet ? SW_SHOWNA : SW_SHOW);
  } else if (WIN_SAVE) {
    if (zoomed)
      ShowWindow(window, quiet ? SW_SHOWNA : SW_SHOWMAXIMIZED);
    else if (iconic)
      ShowWindow(window, quiet ? SW_SHOWMINNOACTIVE : SW_SHOWMINIMIZED);
    else if (Z_ORDER != 2)
      ShowWindow(window, quiet ? SW_SHOWNA : SW_SHOW);
    else {
      ShowWindow(window, quiet ? SW_SHOWMINNOACTIVE : SW_SHOWMINIMIZED);
      ShowWindow(window, quiet ? SW_SHOWNOACTIVATE : SW_RESTORE);
    }
  } else {
    ShowWindow(window, showCommand);
  }

  // The read-out first: the tray icon (a call that waits for the shell) comes right after.
  UpdateWindow(window);
  if (ALWAYS_TRAY || (Z_ORDER == 2 && IsIconic(window))) addTrayIcon(window);
  if (Z_ORDER == 1) SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return window;
}

HWND openMainWindow(HINSTANCE instance, int showCommand) {
  // From before the window is made: while it embeds, SetParent waits for the shell's thread and
  // meanwhile takes the window's WM_DESTROY when the shell goes (at logon it often starts over).
  keepMainWindowAlive();
  if (!createMainWindow(instance, showCommand)) return nullptr;
  // Taken already: the next one before anything is told or started.
  replaceLostMainWindow();
  return mainWindow;
}

int startFromCommandLine(HWND window) {
  const std::wstring argument = argumentText(GetCommandLineW());
  CommandLineInterval interval = intervalFromArgument(argument.c_str());
  if (interval.refused) {
    // On a thread of its own: the window is up and answering while the box is open.
    showMessageAsync(window, refusedArgumentMessage(argument.c_str()).c_str(), L"Velmora", MB_ICONWARNING);
    return 1;
  }
  if (!interval.given) return 0;
  intervalHours = interval.hours;
  intervalMinutes = interval.minutes;
  intervalSeconds = interval.seconds;
  repeatCount = 0;
  if (!startThread(intervalStartThread, window))
    MessageBoxW(window, L"タイマーのスレッドの作成に失敗しました", L"Velmora", MB_ICONERROR);
  return 1;
}

// A DLL that a system DLL loads by name comes from the system folder only, never from the
// program's folder (a Downloads folder may hold a planted one). Looked up at run time: the
// call exists from Windows 8 on, and on Windows 7 only with its loader update.
static void restrictDllSearch() {
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto set = kernel ? (SetDefaultDllDirectoriesFunction)(void*)GetProcAddress(kernel, "SetDefaultDllDirectories")
                    : nullptr;
  if (set) set(kSearchSystem32);
}

int runVelmora(HINSTANCE instance, int showCommand) {
  restrictDllSearch();
  // ShellExecuteW (Readme.txt, the version dialog's link) may hand the work to shell
  // extensions that need COM on the calling thread: the window thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const int code = runVelmoraWindow(instance, showCommand);
  if (SUCCEEDED(com)) CoUninitialize();
  return code;
}

int runVelmoraWindow(HINSTANCE instance, int showCommand) {
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
  if (!openMainWindow(instance, showCommand)) {
    deleteBrushes();
    return -1;
  }
  tellDataFolder(mainWindow);
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
    // A held key repeats its WM_KEYDOWN with bit 30 set (it was down already): a held Space
    // pauses once, it does not toggle the pause on and off.
    if (message.message == WM_KEYDOWN && message.wParam == VK_SPACE && (message.lParam & (1 << 30))) continue;
    if (!TranslateAcceleratorW(mainWindow, accelerators, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  deleteBrushes();
  releaseProgramStepsAtExit();
  return (int)message.wParam;
}
