// Records the wake timer and execution state calls instead of making them (Wine accepts a wake
// timer and never sleeps): "set <due> resume", "cancel", and the states "released", "awake",
// "awake+display".
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "timers/wake_timer.h"

namespace power_recorder {

inline std::vector<std::string> calls;
inline bool refuseWake = false;
inline bool wentOff = false;  // the next look at the timer finds it gone off

inline BOOL WINAPI set(HANDLE, const LARGE_INTEGER* due, LONG period, PTIMERAPCROUTINE, LPVOID, BOOL resume) {
  calls.push_back("set " + std::to_string(due->QuadPart) + (period ? " periodic" : "") + (resume ? " resume" : ""));
  return !refuseWake;
}
inline BOOL WINAPI cancel(HANDLE) {
  calls.push_back("cancel");
  return TRUE;
}
inline DWORD WINAPI wait(HANDLE, DWORD) {
  const bool off = wentOff;
  wentOff = false;
  return off ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
inline EXECUTION_STATE WINAPI state(EXECUTION_STATE s) {
  switch (s) {
    case ES_CONTINUOUS: calls.push_back("released"); break;
    case ES_CONTINUOUS | ES_SYSTEM_REQUIRED: calls.push_back("awake"); break;
    case ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED: calls.push_back("awake+display"); break;
    default: calls.push_back("state " + std::to_string(s));
  }
  return ES_CONTINUOUS;
}

// Puts the recorders in for its lifetime; keepState leaves the execution state to Windows.
class Installed {
 public:
  explicit Installed(bool keepState = false) : saved_(powerCalls) {
    powerCalls.setWaitableTimer = set;
    powerCalls.cancelWaitableTimer = cancel;
    powerCalls.waitForSingleObject = wait;
    if (!keepState) powerCalls.setThreadExecutionState = state;
    calls.clear();
    refuseWake = wentOff = false;
  }
  ~Installed() { powerCalls = saved_; }
  Installed(const Installed&) = delete;
  Installed& operator=(const Installed&) = delete;

 private:
  PowerCalls saved_;
};

}  // namespace power_recorder
