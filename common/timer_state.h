// The timer state shared by every timer kind and thread. Each field is a single atomic value;
// the start/stop handshake works through targetTick and stopRequested. Ticks are GetTickCount64
// readings, which do not wrap.
#pragma once
#include <windows.h>
#include <atomic>
#include <cstdint>

extern std::atomic<uint64_t> targetTick;    // end tick of the running count-down; 0 = none runs
extern std::atomic<uint32_t> remainingMs;   // time left at the latest wake-up
extern std::atomic<uint64_t> lastTick;      // latest tick reading taken by a timer routine
// The end of the running or last count-down as calendar milliseconds (UTC); 0 when unknown. A
// time-of-day end is this instant of the wall clock; other ends are elapsed time, and this only
// follows them for ALARM_TIME.
extern std::atomic<int64_t> targetUtcMs;
// The runSerial of the run asked to end without time-up; 0 for none. A stop meant for a run
// that is over by now is no stop for the next one.
extern std::atomic<uint32_t> stopRequested;
// 1 while a run goes on: from a start until the last count-down of its repeats or steps has
// ended, also in the hand-offs between them, when targetTick is 0. One owner at a time: the
// start that sets it from 0 owns the run and hands it on; whoever ends the run sets it to 0.
extern std::atomic<int> runActive;
// Number of the latest run: each claim of a run counts it up, so one who asked about a run can
// tell it from a later one.
extern std::atomic<uint32_t> runSerial;
// A pause of the run's count-down. pauseWanted is what the user asked for last (1 pause, 0 go on);
// the count-down follows it at its next wake-up, parks with the time left in pausedLeftMs and
// sets paused while it waits. A paused run keeps runActive, its repeat count and step; targetTick
// stays non-zero, so the read-out shows remainingMs frozen. A new run clears all three.
extern std::atomic<int> pauseWanted;
extern std::atomic<int> paused;
extern std::atomic<uint32_t> pausedLeftMs;  // also ALARM_TIME/PAUSE_LEFT of a run saved paused
extern std::atomic<int> repeatCount;        // automatic repeats of the current run (TIMER/LOOP_CNT)
extern std::atomic<int> timerKind;          // 0 time-of-day, 1 interval, 2 program timer (TIMER/TYPE)
extern std::atomic<int> programStep;        // step of the running program timer (PROGRAM_TIMER/STEP)
extern std::atomic<int> intervalHours, intervalMinutes, intervalSeconds;  // TIMER_SETTING
extern std::atomic<DWORD> autoCloseThreadId;  // live auto-close countdown; 0 = none
// Changes with every auto-close start and cancel; a title request carries the one it was made in.
extern std::atomic<uint32_t> autoCloseGeneration;

// Calendar end of the last started timer (section ALARM_TIME). Written by the start routine
// of a timer before its count-down thread exists, read at start-up and by resume.
extern SYSTEMTIME targetTime;
// The Windows time zone (its key name) that the running end was chosen in (ALARM_TIME/ZONE); a
// time-of-day end moves to its local time in another zone. Empty when unknown. Written with
// targetTime, by the thread that owns the run.
extern wchar_t runTimeZone[128];
// Target chosen in the time-of-day dialog (year, month, day, hour, minute, second).
extern WORD timeOfDaySetting[6];

enum TimerKind { TIMER_KIND_TIME_OF_DAY = 0, TIMER_KIND_INTERVAL = 1, TIMER_KIND_PROGRAM = 2 };

// Whether a count-down of this kind can be paused: a time-of-day end is a wall-clock time.
bool kindCanPause(int kind);

// Interval duration in milliseconds (may exceed 32 bits).
double intervalDurationMs(int hours, int minutes, int seconds);

// The interval in memory as whole seconds, and back from them (seconds at least 0; hours
// capped at 1193, minutes and seconds kept).
int intervalTotalSeconds();
void setIntervalFromSeconds(long long seconds);
