#include "timers/precise_sleep.h"

namespace {

// Not in every SDK's headers; Windows 10 1803 and later know it, older systems refuse it.
constexpr DWORD kHighResolutionTimer = 0x00000002;

using CreateTimerEx = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD);

CreateTimerEx createTimerEx() {
  static const CreateTimerEx create = [] {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<CreateTimerEx>(GetProcAddress(kernel, "CreateWaitableTimerExW")) : nullptr;
  }();
  return create;
}

}  // namespace

void sleepPrecisely(DWORD ms) { sleepPreciselyUnless(ms, nullptr); }

bool sleepPreciselyUnless(DWORD ms, HANDLE wake) {
  CreateTimerEx create = createTimerEx();
  HANDLE timer = create ? create(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS) : nullptr;
  LARGE_INTEGER due;
  due.QuadPart = -(LONGLONG)ms * 10000;  // negative: relative, in 100 ns units
  if (!timer || !SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
    if (timer) CloseHandle(timer);
    if (!wake) {
      Sleep(ms);
      return true;
    }
    return WaitForSingleObject(wake, ms) == WAIT_TIMEOUT;
  }
  const HANDLE handles[2] = {timer, wake};
  const DWORD woke = WaitForMultipleObjects(wake ? 2 : 1, handles, FALSE, INFINITE);
  CloseHandle(timer);
  return woke != WAIT_OBJECT_0 + 1;
}
