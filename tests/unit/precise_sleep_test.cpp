// The last sleep of a count-down: it must last the time asked for, whichever timer it uses.
#include <gtest/gtest.h>

#include "tests/support/performance_counter.h"

#include "timers/precise_sleep.h"

namespace {

using testsupport::nowMs;

TEST(PreciseSleep, LastsAtLeastTheTimeAskedFor) {
  for (DWORD ms : {0u, 3u, 40u}) {
    const double start = nowMs();
    sleepPrecisely(ms);
    // A timer may end up to one millisecond early against the performance counter.
    EXPECT_GE(nowMs() - start, (double)ms - 1.0) << ms << " ms";
  }
}

}  // namespace
