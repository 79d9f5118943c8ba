// The context menu, built afresh from the current state each time it is shown.
#pragma once
#include <windows.h>

#include <string>

// Everything the menu shows, taken as one snapshot of the settings and the timer state.
struct ContextMenuState {
  bool alarmPlaying;
  bool timerRunning;
  bool pausable;                     // a run of a kind that can pause goes on
  bool pauseWanted;                  // the user paused it (the item then continues)
  int timerLoop;
  int programNo;                     // PROGRAM_TIMER NO, 0..9
  int programLoop;
  const wchar_t (*programNames)[128];  // ten names; an empty one is shown by its slot number
  int zOrder, untouchable;
  int autoCloseIndex, autoCloseKt, autoCloseJt, autoClosePt;
  int secondSound;
  int showSeconds;
};

// The snapshot of the globals (the alarm test asks the media control interface).
ContextMenuState currentMenuState();

// Dynamic labels, formatted as the menu shows them (at most 1023 characters).
std::wstring programListLabel(const wchar_t* name, int index);      // "%s(&%d)"
std::wstring selectedProgramLabel(const wchar_t* name, int index);  // "%s(&S)"
std::wstring editProgramLabel(const wchar_t* name, int index);      // "「%s」を編集(&H)"

// The pause item: "再開(&I)\tSpace" for a paused run, "一時停止(&I)\tSpace" otherwise.
const wchar_t* pauseLabel(const ContextMenuState& state);

HMENU buildContextMenu(const ContextMenuState& state);
HMENU buildContextMenu();
// The menu at the cursor for the tray icon (closes when the user clicks elsewhere).
void showTrayMenu(HWND window);
