#include "timers/keep_awake.h"

#include "common/timer_state.h"

namespace {

constexpr UINT_PTR kRunWatchTimer = 0x4B41;  // "KA"
bool awake = false;  // window thread only

}  // namespace

void keepAwakeStart() {
  if (SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED)) awake = true;
}

void keepAwakeStop() {
  SetThreadExecutionState(ES_CONTINUOUS);
  awake = false;
}

bool keepingAwake() { return awake; }

void keepAwakeWhileRunning(HWND window) {
  if (!awake) keepAwakeStart();
  SetTimer(window, kRunWatchTimer, 1000, nullptr);
}

bool onKeepAwakeTimer(HWND window, WPARAM timerId) {
  if (timerId != kRunWatchTimer) return false;
  if (runActive == 0) {
    KillTimer(window, kRunWatchTimer);
    keepAwakeStop();
  }
  return true;
}
