#include "app/main_window.h"

#include <imm.h>
#include <shellapi.h>

#include "app/context_menu.h"
#include "app/startup.h"
#include "common/click_timing.h"
#include "common/dialog_helpers.h"
#include "common/late_libraries.h"
#include "common/message_async.h"
#include "common/settings.h"
#include "common/threads.h"
#include "common/timer_state.h"
#include "common/window_requests.h"
#include "dialogs/options_dialog.h"
#include "dialogs/version_dialog.h"
#include "display/background_image.h"
#include "display/colours_and_font.h"
#include "display/dpi.h"
#include "display/painter.h"
#include "display/row_switch_ratio.h"
#include "display/transparency.h"
#include "display/z_order.h"
#include "programs/program_editor.h"
#include "programs/program_file.h"
#include "res/resource.h"
#include "shell/alarm.h"
#include "shell/auto_close.h"
#include "shell/looks.h"
#include "shell/tray_icon.h"
#include "timers/countdown.h"
#include "timers/keep_awake.h"
#include "timers/program_runner.h"
#include "timers/time_of_day.h"

UINT taskbarCreatedMessage = 0;

namespace {

void startThreadOrReport(HWND window, LPTHREAD_START_ROUTINE routine, bool async) {
  if (startThread(routine, window)) return;
  if (async)
    showMessageAsync(window, L"スレッドの作成に失敗しました", L"Velmora", MB_ICONERROR);
  else
    MessageBoxW(window, L"スレッドの作成に失敗しました", L"Velmora", MB_ICONERROR);
}

void toggleOption(HWND window, std::atomic<int>& value, const wchar_t* key) {
  value = value ? 0 : 1;
  if (!writeOptionInt(key, value)) showSettingsWriteFailure(window);
}

void toggleAutoClose(std::atomic<int>& value) {
  value = value ? 0 : 1;
  saveAutoCloseSettings();
}

void selectProgramTimer(int index) {
  PROGRAM_TIMER_NO = index;
  writeSettingInt(L"PROGRAM_TIMER", L"NO", index);
}

void openReadme(HWND window) {
  wchar_t path[1100];
  swprintf_s(path, 1100, L"%lsReadme.txt", programDirectory);
  ShellExecuteW(window, L"open", path, nullptr, nullptr, SW_SHOWNORMAL);
}

void onAlarmSoundConfirmed(HWND window) {
  if (!writeOptionInt(L"ALARM_PLAY", ALARM_PLAY)) {
    showSettingsWriteFailure(window);
    return;
  }
  saveAlarmFile();
}

void onCommand(HWND window, int id) {
  if (dialogOpen && commandBlockedByDialog(id)) return;
  switch (id) {
    case CMD_STOP_ALARM: stopAlarm(); break;
    case CMD_START_STOP: startStopToggleFromWindow(window); break;
    case CMD_SET_INTERVAL:
      if (runMainDialog(window, IDD_INTERVAL, intervalDialogProc) > 0) saveIntervalSetting(window);
      break;
    case CMD_TOGGLE_TIMER_LOOP: toggleOption(window, TIMER_LOOP, L"TIMER_LOOP"); break;
    case CMD_TIME_OF_DAY:
      if (runMainDialog(window, IDD_TIME_OF_DAY, timeOfDayDialogProc) > 0 && !startTimeOfDayTimer(window))
        showMessageAsync(window, L"スレッドの作成に失敗しました", L"Velmora", MB_ICONERROR);
      break;
    case CMD_PROGRAM_START: startThreadOrReport(window, programStartThread, true); break;
    case CMD_PROGRAM_EDIT: runMainDialog(window, IDD_PROGRAM_EDITOR, programEditorDialogProc); break;
    case CMD_PROGRAM_LOOP:
      PROGRAM_TIMER_LOOP = PROGRAM_TIMER_LOOP ? 0 : 1;
      writeSettingInt(L"PROGRAM_TIMER", L"LOOP", PROGRAM_TIMER_LOOP);
      break;
    case CMD_PROGRAM_RENAME: runMainDialog(window, IDD_RENAME, renameDialogProc); break;
    case CMD_PROGRAM_UP: moveProgramTimerUp(window); break;
    case CMD_PROGRAM_DOWN: moveProgramTimerDown(window); break;
    case CMD_ZORDER_NORMAL:
    case CMD_ZORDER_TOP:
    case CMD_ZORDER_BOTTOM: setZOrder(window, id); break;
    case CMD_PASS_TRANSPARENT:
    case CMD_PASS_ALL:
    case CMD_PASS_NONE: setMousePassThrough(window, id); break;
    case CMD_AUTO_CLOSE_NEVER:
    case CMD_AUTO_CLOSE_BY_KIND:
    case CMD_AUTO_CLOSE_ALWAYS:
      AUTO_CLOSE_INDEX = id - CMD_AUTO_CLOSE_NEVER;
      saveAutoCloseSettings();
      break;
    case CMD_AUTO_CLOSE_KT: toggleAutoClose(AUTO_CLOSE_KT); break;
    case CMD_AUTO_CLOSE_JT: toggleAutoClose(AUTO_CLOSE_JT); break;
    case CMD_AUTO_CLOSE_PT: toggleAutoClose(AUTO_CLOSE_PT); break;
    case CMD_AUTO_CLOSE_GRACE: runMainDialog(window, IDD_AUTO_CLOSE, autoCloseDialogProc); break;
    case CMD_SECOND_SOUND: toggleOption(window, SECOND_SOUND, L"SECOND_SOUND"); break;
    case CMD_OPTIONS:
      if (runMainDialog(window, IDD_OPTIONS, optionsDialogProc) > 0) applyTrayOptions(window);
      break;
    case CMD_FONT: withDialogOpen([&] { chooseFont(window); return 0; }); break;
    case CMD_TEXT_COLOUR:
      withDialogOpen([&] { pickColour(window, textColour, applyTextColour); return 0; });
      break;
    case CMD_BG_COLOUR:
      withDialogOpen([&] { pickColour(window, backgroundColour, applyBackgroundColour); return 0; });
      break;
    case CMD_BG_IMAGE:
      if (runMainDialog(window, IDD_BG_IMAGE, backgroundImageDialogProc) > 0) applyBackgroundImage(window);
      break;
    case CMD_TRANSPARENCY:
      if (runMainDialog(window, IDD_TRANSPARENCY, transparencyDialogProc) > 0) applyTransparency(window);
      break;
    case CMD_ASPECT:
      if (runMainDialog(window, IDD_ASPECT, aspectDialogProc) > 0) applyAspectRatios(window);
      break;
    case CMD_ALARM_SOUND:
      if (runMainDialog(window, IDD_ALARM_SOUND, alarmSoundDialogProc) > 0) onAlarmSoundConfirmed(window);
      break;
    case CMD_SHOW_SECONDS: toggleShowSeconds(window); break;
    case CMD_WINDOW_FORM: toggleWindowForm(window); break;
    case CMD_README: openReadme(window); break;
    case CMD_VERSION: runMainDialog(window, IDD_VERSION, versionDialogProc); break;
    case CMD_EXIT: PostMessageW(window, WM_CLOSE, 0, 0); break;
    case CMD_PAUSE: pauseToggleFromWindow(); break;
    default:
      if (id >= CMD_SELECT_PROGRAM_0 && id <= CMD_SELECT_PROGRAM_9) selectProgramTimer(id - CMD_SELECT_PROGRAM_0);
      break;
  }
}

void onCreate(HWND window) {
  setMainWindow(window);
  // The window takes no text. With an input context, a Japanese input method that is on takes
  // Space for itself (VK_PROCESSKEY) and the pause key does nothing.
  ImmAssociateContextEx(window, nullptr, 0);
  applyClickThroughAtStart(window);
  loadBackgroundImage();
  taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
  ClickTimingRecord* records[3] = {&middleClickRecord, &trayLeftClickRecord, &trayMiddleClickRecord};
  for (ClickTimingRecord* r : records) r->window = window;
  middleClickRecord.singleClickAction = startStopToggleFromClick;
  trayMiddleClickRecord.singleClickAction = startStopToggleFromClick;
  trayLeftClickRecord.singleClickAction = trayToggleWindow;
}

bool keepRunningWithoutHost = false;
bool closeRequested = false;  // WM_CLOSE went on to DestroyWindow

void CALLBACK replaceLostMainWindowSoon(HWND, UINT, UINT_PTR id, DWORD);

// The shell (ending, crashing or updating) destroys its windows and their children,
// ours too: the run goes on, and replaceLostMainWindow makes a new main window.
void onHostGone(HWND window) {
  desktopHost = nullptr;
  // Workers wait for the next window rather than post into this one, which is gone.
  loseMainWindow();
  SetTimer(nullptr, 0, USER_TIMER_MINIMUM, replaceLostMainWindowSoon);
  if (!WIN_SAVE) return;
  saveWindowPosition(window);
  saveWindowSize(window);
  saveWindowState(window);
}

// The window and its taskbar button flash until the time-up box is closed.
void flashWindow(HWND window, bool on) {
  FLASHWINFO flash{sizeof flash, window, on ? (DWORD)(FLASHW_ALL | FLASHW_TIMER) : (DWORD)FLASHW_STOP, 0, 0};
  FlashWindowEx(&flash);
}

// Thread timers, so that any message loop of this thread runs them, a modal one too. The one of
// every second also covers a system that takes the child window away without a WM_DESTROY.
void CALLBACK replaceLostMainWindowEverySecond(HWND, UINT, UINT_PTR, DWORD) { replaceLostMainWindow(); }

void CALLBACK replaceLostMainWindowSoon(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  replaceLostMainWindow();
}

void onDestroy() {
  releasePaintCache();
  deleteBackgroundImages();
  winmmSendStringIfLoaded(L"stop all", nullptr, 0, nullptr);
  winmmSendStringIfLoaded(L"close all", nullptr, 0, nullptr);
  removeTrayIcon();
  PostQuitMessage(0);
}

// The window reports its own clicks here; the shell reports the tray icon's.
void onTrayCallback(HWND window, WPARAM wParam, LPARAM lParam) {
  if (wParam != 1) return;
  switch ((UINT)lParam) {
    case WM_LBUTTONUP: onSingleClick(&trayLeftClickRecord); break;
    case WM_MBUTTONUP: onSingleClick(&trayMiddleClickRecord); break;
    case WM_LBUTTONDBLCLK:
      onDoubleClick(&trayLeftClickRecord);
      trayLeftDoubleClick(window);
      break;
    case WM_MBUTTONDBLCLK:
      onDoubleClick(&trayMiddleClickRecord);
      toggleShowSeconds(window);
      break;
    case WM_RBUTTONUP: showTrayMenu(window); break;
    default: break;
  }
}

bool cancelsAutoClose(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_SYSCOMMAND:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: return true;
    case WM_TRAY_CALLBACK:
      return wParam == 1 && (lParam == WM_LBUTTONUP || lParam == WM_RBUTTONUP || lParam == WM_MBUTTONUP);
    default: return false;
  }
}

// The background window of click-through mode 2 stays directly behind the main window.
void keepBackgroundWindowBehind(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND background = backgroundWindow;
  if (!background) return;
  switch (message) {
    case WM_MOVE:
      SetWindowPos(background, window, (short)LOWORD(lParam), (short)HIWORD(lParam), 0, 0,
                   SWP_NOSIZE | SWP_NOACTIVATE);
      break;
    case WM_SIZE:
      SetWindowPos(background, window, 0, 0, LOWORD(lParam), HIWORD(lParam), SWP_NOMOVE | SWP_NOACTIVATE);
      break;
    case WM_ACTIVATE:
    case WM_WINDOWPOSCHANGING:
      SetWindowPos(background, window, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      break;
    case WM_SHOWWINDOW:
      if (wParam)
        SetWindowPos(background, window, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
      else
        SetWindowPos(background, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
      break;
    default: break;
  }
}

// Moved to a monitor of another DPI: the system suggests the rectangle that keeps the window's
// look there. The read-out's fonts follow the client area by themselves.
void takeSuggestedRect(HWND window, LPARAM lParam) {
  const RECT* r = reinterpret_cast<const RECT*>(lParam);
  SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

bool inSizeMove = false;

void onExitSizeMove(HWND window) {
  inSizeMove = false;
  if (!WIN_SAVE || IsZoomed(window) || IsIconic(window)) return;
  saveWindowPosition(window);
  saveWindowSize(window);
}

}  // namespace

void keepMainWindowAlive() {
  keepRunningWithoutHost = true;
  SetTimer(nullptr, 0, 1000, replaceLostMainWindowEverySecond);
}

void replaceLostMainWindow() {
  if (closeRequested || IsWindow(mainWindow)) return;
  desktopHost = nullptr;
  backgroundWindow = nullptr;  // went with the host; the next one belongs to the new window
  backgroundWindowOwner = nullptr;
  releasePaintCache();
  deleteBackgroundImages();
  removeTrayIcon();
  HWND window = createMainWindow(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE);
  if (!window) {
    setMainWindow(nullptr);
    PostQuitMessage(1);
    return;
  }
  // The alarm tells the end of each play to the window that started it.
  alarmNotifiesWindow(window);
  if (targetTick == 0) return;
  if (paused)
    showPausedLook(window);
  else
    showRunningLook(window);
}

bool commandBlockedByDialog(int id) {
  switch (id) {
    case 2: case 4: case 8: case 25: case 26: case 27: case 28: case 29: case 30: case 31:
    case 32: case 36: return true;
    default: return false;
  }
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (taskbarCreatedMessage && message == taskbarCreatedMessage) {
    embedAgainWhenShellIsBack(window);
    onTaskbarCreated(window);
    return 0;
  }
  if (autoCloseThreadId && cancelsAutoClose(message, wParam, lParam)) cancelAutoCloseLook(window);
  keepBackgroundWindowBehind(window, message, wParam, lParam);

  switch (message) {
    case WM_CREATE: onCreate(window); return 0;
    case WM_DESTROY:
      if (keepRunningWithoutHost && !closeRequested && desktopHost)
        onHostGone(window);
      else
        onDestroy();
      return DefWindowProcW(window, message, wParam, lParam);
    // A drag moves the window many times: its place is written once, when the drag ends.
    case WM_ENTERSIZEMOVE: inSizeMove = true; return 0;
    case WM_EXITSIZEMOVE: onExitSizeMove(window); return 0;
    case WM_MOVE:
      if (WIN_SAVE && !inSizeMove) saveWindowPosition(window);
      return 0;
    case WM_SIZE:
      if (WIN_SAVE && !inSizeMove && wParam == SIZE_RESTORED) saveWindowSize(window);
      return 0;
    case WM_PAINT: paintDisplay(window); return 0;
    case WM_DPICHANGED: takeSuggestedRect(window, lParam); return 0;
    case WM_CLOSE:
      if (EXIT_CHECK &&
          MessageBoxW(window, L"終了しますがいいですか？", L"Velmora", MB_ICONQUESTION | MB_YESNO) != IDYES)
        return 0;
      if (WIN_SAVE) saveWindowState(window);
      closeRequested = true;
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_COMMAND: onCommand(window, LOWORD(wParam)); return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFFF) == SC_MINIMIZE && onMinimiseRequest(window)) return 0;
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_LBUTTONDBLCLK:
      if (isAlarmPlaying())
        stopAlarm();
      else
        toggleWindowForm(window);
      return 0;
    case WM_RBUTTONUP: {
      POINT cursor;
      GetCursorPos(&cursor);
      HMENU menu = buildContextMenu();
      TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
      DestroyMenu(menu);
      return 0;
    }
    case WM_MBUTTONUP: onSingleClick(&middleClickRecord); return 0;
    case WM_MBUTTONDBLCLK:
      onDoubleClick(&middleClickRecord);
      toggleShowSeconds(window);
      return 0;
    case MM_MCINOTIFY: onAlarmNotify(window, wParam); return 0;
    case WM_TRAY_CALLBACK: onTrayCallback(window, wParam, lParam); return 0;
    case WM_PLAY_SOUND: onPlaySoundRequest(window, wParam, lParam); return 0;
    case WM_FLASH_WINDOW:  // 0: a time-up or step box was closed
      flashWindow(window, wParam != 0);
      if (wParam == 0) onNoticeClosed();
      return 0;
    case WM_TELL_FAILURE: onTellFailure(window, wParam); return 0;
    case WM_STOP_SOUND: stopAlarm(); return 0;
    case WM_RUNNING_LOOK:
      keepAwakeWhileRunning(window);
      applyLookRequest(window, message, wParam, lParam);
      return 0;
    case WM_PAUSED_LOOK:  // a paused timer keeps nothing awake and wakes nothing; continuing asks again
      followRun();
      applyLookRequest(window, message, wParam, lParam);
      return 0;
    case WM_IDLE_LOOK:
    case WM_AUTO_CLOSE_TITLE: applyLookRequest(window, message, wParam, lParam); return 0;
    case WM_TIMER:
      if (!onKeepAwakeTimer(window, wParam)) return DefWindowProcW(window, message, wParam, lParam);
      return 0;
    // The clock or the zone was set, or the PC woke up: the count-down looks at once. It also
    // checks the clocks at every wake-up by itself, as a clock moved by a time sync may come
    // without this message, or after the program's own wake-up.
    case WM_TIMECHANGE:
      onClockChanged();
      wakeAgainAfterClockChange();
      return 0;
    // Every wake-up brings PBT_APMRESUMEAUTOMATIC; PBT_APMRESUMESUSPEND follows when a user is there.
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMRESUMEAUTOMATIC) onPowerResume(window);
      if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) onClockChanged();
      return TRUE;
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}
