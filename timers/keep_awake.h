// Keeping the PC awake while a run's end is near, and waking it for the alarm. Windows keeps
// the request of a thread until that thread changes it (or ends), so only the window thread,
// which lives as long as the program, calls these.
#pragma once
#include <windows.h>
#include <cstdint>

// The PC is kept from sleeping while the end is at most this far away; before that it may
// sleep, and the wake timer brings it back shortly before the end.
constexpr uint64_t kKeepAwakeBeforeEndMs = 3600000;
// Woken by the wake timer, the PC and its display stay on at most this long unless a notice
// is closed first (a PC woken with nobody at it goes back to sleep within about two minutes).
constexpr uint64_t kWakeHoldMs = 300000;

// What the watch reads of the run.
struct RunView {
  bool active;        // runActive
  bool paused;
  int kind;
  uint64_t endTick;   // targetTick: 0 between two count-downs of the run
  int64_t endUtcMs;   // targetUtcMs
};

// The window thread's watch over the run, from its running look until the run has ended by
// any path: checked at once and every second by a window timer on `window`.
void keepAwakeWhileRunning(HWND window);
// The window timer of the watch went off; false for another timer.
bool onKeepAwakeTimer(HWND window, WPARAM timerId);
// Looks at the run now (it was paused).
void followRun();
// The clock or the zone was set: the wake timer is set again.
void wakeAgainAfterClockChange();
// The PC woke up: when the wake timer woke it, the PC and the display stay on until a notice is
// closed or kWakeHoldMs have passed. The wake timer is set again from fresh clocks.
void onPowerResume(HWND window);
// A time-up or step box was closed: somebody is at the PC.
void onNoticeClosed();
// Whether the PC is being kept from sleeping.
bool keepingAwake();

// What the watch looks at the run for.
enum class PowerEvent {
  Look,          // the watch's second, a look change
  ClockSet,      // the clock or the zone was set
  Resumed,       // the PC woke up
  NoticeClosed,  // a time-up or step box was closed
};
// The watch's step after `event`, with the run as it stands at nowTick and nowUtcMs (read
// together): sets, sets again or cancels the wake timer, and asks Windows for the execution
// state that the run and a wake by the timer need.
void followRunAt(PowerEvent event, const RunView& run, uint64_t nowTick, int64_t nowUtcMs);
