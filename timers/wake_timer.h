// The waitable timer that may wake the PC from sleep shortly before a run's end, and the
// Windows calls behind it and behind keeping the PC awake (a test replaces them to record them).
#pragma once
#include <windows.h>
#include <cstdint>

// The power calls: Windows' own unless a test put recorders in.
struct PowerCalls {
  BOOL(WINAPI* setWaitableTimer)(HANDLE, const LARGE_INTEGER*, LONG, PTIMERAPCROUTINE, LPVOID, BOOL);
  BOOL(WINAPI* cancelWaitableTimer)(HANDLE);
  DWORD(WINAPI* waitForSingleObject)(HANDLE, DWORD);
  EXECUTION_STATE(WINAPI* setThreadExecutionState)(EXECUTION_STATE);
};
extern PowerCalls powerCalls;

// The wake comes this long before the end, so that the PC is up when the alarm sounds.
constexpr uint64_t kWakeLeadMs = 30000;

// Milliseconds from now to the wake for an end leftMs away: kWakeLeadMs before the end, or the
// end itself when less is left (at least 1 ms).
uint64_t wakeAfterMs(uint64_t leftMs);
// SetWaitableTimer's due time for an end. An elapsed-time end (interval, program step), leftMs
// away, is a relative time (negative, in 100 ns), which setting the clock does not move. A
// wall-clock end (time of day), the instant endUtcMs, is the absolute UTC time of its wake.
int64_t wakeDueTime(bool wallClockEnd, uint64_t leftMs, int64_t endUtcMs, int64_t nowUtcMs);

// Sets the wake timer (made on first use) for that due time; false when Windows refused, and
// then the run simply goes on without it.
bool setWakeTimer(int64_t due);
// Cancels the wake timer and forgets that it went off.
void cancelWakeTimer();
// Whether the wake timer went off since it was last set or asked; the answer is given once.
bool wakeTimerWentOff();
