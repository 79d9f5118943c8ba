// Threads that nobody waits for: the count-downs, the starts, boxes and click timing.
#pragma once
#include <windows.h>

// Starts routine(parameter) on a thread of its own and lets go of its handle. False when the
// thread could not be made (the routine then never runs).
bool startThread(LPTHREAD_START_ROUTINE routine, void* parameter);
