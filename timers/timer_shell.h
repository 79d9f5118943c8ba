// What a timer asks of the shell besides the posted requests: a balloon, the tick of a second,
// and auto-close. The timers call the shell only through this list; the program fills it in
// with the shell's functions, so the timers do not depend on the shell.
#pragma once
#include <windows.h>

struct TimerShell {
  // A balloon from the tray icon when the user prefers them; false when the caller shows a box.
  bool (*balloon)(HWND window, const wchar_t* text, const wchar_t* title);
  // The tick of every second.
  void (*secondTick)();
  // A run ended without a repeat: the auto-close countdown when the settings ask for it.
  void (*runFinished)(HWND window);
  // From any thread, when a run starts: a pending auto-close countdown ends.
  void (*runStarting)(HWND window);
};
extern const TimerShell timerShell;
