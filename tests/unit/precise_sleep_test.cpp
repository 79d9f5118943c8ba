// The last sleep of a count-down: it must last the time asked for, whichever timer it uses.
#include <gtest/gtest.h>

#include "timers/precise_sleep.h"

namespace {

double nowMs() {
  LARGE_INTEGER frequency, count;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return (double)count.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

TEST(PreciseSleep, LastsAtLeastTheTimeAskedFor) {
  for (DWORD ms : {0u, 3u, 40u}) {
    const double start = nowMs();
    sleepPrecisely(ms);
    // A timer may end up to one millisecond early against the performance counter.
    EXPECT_GE(nowMs() - start, (double)ms - 1.0) << ms << " ms";
  }
}

}  // namespace
