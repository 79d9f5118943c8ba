// The performance counter in milliseconds, for timing in the tests and benchmarks.
#pragma once
#include <windows.h>

namespace testsupport {

inline double nowMs() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return (double)count.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

}  // namespace testsupport
