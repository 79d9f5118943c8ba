// The count-down loop shared by every timer kind, the interval timer's start, the start/stop
// toggle, the stop confirmation and the interval dialog (201).
#pragma once
#include <windows.h>
#include <cstdint>

struct ClickTimingRecord;

// Starts the interval timer from intervalHours/Minutes/Seconds as a new run; does nothing when
// another start got the run first.
DWORD WINAPI intervalStartThread(LPVOID window);
// The repeat after a time-up: the interval again, in the run that the ended count-down hands on.
DWORD WINAPI intervalRepeatThread(LPVOID window);
// Times the count-down whose targetTick, timerKind and targetTime the creator has set (after
// claiming the run); ends with the time-up handling unless it was stopped.
DWORD WINAPI countdownThread(LPVOID window);
// Starts countdownThread for the end the caller claimed (targetTick). When no thread can be made
// the run ends, the read-out goes idle and a box says so: false.
bool startCountdownThread(HWND window);
// A start's count-down: its kind, calendar end and instant recorded (ALARM_TIME, TIMER), then
// startCountdownThread.
bool startCountdown(HWND window, int kind, const SYSTEMTIME& end, int64_t endUtcMs);
// Asks "タイマーを終了しますか？" and stops the running timer of any kind.
DWORD WINAPI stopConfirmThread(LPVOID window);
// Command 1 / F5: start the interval timer when idle, otherwise ask to stop.
void startStopToggleFromWindow(HWND window);
// The same toggle as a single-click action (runs on the click-timing thread).
void startStopToggleFromClick(ClickTimingRecord* record);
INT_PTR CALLBACK intervalDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// A run for a user's start: takes it in one step, false when a run goes on. runSerial counts it
// (a stop left over for an earlier run names that run), a pending auto-close is cancelled.
bool claimRun(HWND window);
// The same for a start that replaces a running timer: asks "タイマーが作動中ですがいいですか？"
// while a run goes on, stops it on yes and waits for that run to end. Asks again when another
// run took over meanwhile. False when the user keeps the running timer.
bool claimRunReplacing(HWND window);
// The run ends here (the series is over, refused or failed): RESUME 0 on disk, the run free.
void endRun();
// A stop asked for the running run (stopRequested holds its runSerial).
bool stopWanted();
// A stop that arrived for the run since its last count-down, taken in one step; the hand-off
// that sees it ends the run instead of going on.
bool takeStopRequest();

// Sets targetTick from 0 to target in one step. False when a timer already runs (another start
// got there first): the caller then starts nothing. Every start routine claims this way, so
// two starts racing each other never make two count-down loops.
bool claimTargetTick(uint64_t target);
// The clock or the time zone was set, or the PC woke up: the zone is read again and the running
// count-down looks at the clocks at once instead of at its next wake-up.
void onClockChanged();
// Wakes the count-down at once to look at the clocks and the pause request.
void wakeCountdown();
// Command 38 / Space: pauses the running interval or program count-down, or continues the
// paused one. Does nothing while no run goes on or for a time-of-day timer.
void pauseToggleFromWindow();

// --- the arithmetic of the loop and of the interval start ---

// The next sleep of the loop for the time left at a wake-up: 50 ms past the next whole second,
// or, under one second left, the rest of the time as the final sleep (no tick follows it).
struct CountdownSleep {
  DWORD ms;
  bool final;
};
CountdownSleep countdownSleep(uint32_t remainingMs);
// Whether this wake-up repaints: always with seconds shown or in the last minute, otherwise
// when the minute changed (lastMinute is updated then).
bool countdownRepaint(uint32_t remainingMs, bool showSeconds, int& lastMinute);
// Time is up at `now`: the end tick is reached.
bool countdownEnded(uint64_t target, uint64_t now);
// The end tick at a wake-up of a time-of-day count-down: its end is an instant of the wall
// clock, so it moves when the clock is set (now when the clock has passed the end).
uint64_t wallClockEndTick(int64_t endUtcMs, int64_t nowUtcMs, uint64_t nowTick);
// An elapsed-time count-down with `remaining` ms left at nowUtcMs no longer ends at the stored
// calendar end (the clock was set): more than a second apart.
bool calendarEndMoved(int64_t storedEndUtcMs, int64_t nowUtcMs, uint64_t remaining);
// A duration a count-down can time: at most 4,294,967,295 ms (1193 h 2 min 47.295 s).
bool countdownFits(double durationMs);
// The time left for the read-out, which holds at most 4,294,967,295 ms.
uint32_t remainingForDisplay(uint64_t target, uint64_t now);
// Calendar end: the local date and time (with milliseconds) durationMs after startMs, both
// calendar milliseconds. The day of week is left as end had it. False (end untouched) when
// the calendar conversion fails.
bool calendarEnd(int64_t startMs, int64_t durationMs, SYSTEMTIME& end);
// Hours as dialog 201 takes them from the up-down's answer: above 1193, or an error reported
// in the high half, gives 1193.
int clampDialogHours(DWORD upDownAnswer);
