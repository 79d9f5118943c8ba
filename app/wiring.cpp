// The subsystems' requests of the shell, answered by the shell's functions.
#include "display/display_shell.h"
#include "shell/alarm.h"
#include "shell/auto_close.h"
#include "shell/looks.h"
#include "shell/tray_icon.h"
#include "timers/timer_shell.h"

namespace {

bool balloonWhenPreferred(HWND window, const wchar_t* text, const wchar_t* title) {
  if (!balloonPreferred(window)) return false;
  showBalloon(window, text, title);
  return true;
}

}  // namespace

const TimerShell timerShell = {balloonWhenPreferred, playSecondTick, triggerAutoClose, cancelAutoCloseForRun};
const DisplayShell displayShell = {activeClickThroughMode, removeTrayIcon};
