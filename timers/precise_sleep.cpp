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

void sleepPrecisely(DWORD ms) {
  CreateTimerEx create = createTimerEx();
  HANDLE timer = create ? create(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS) : nullptr;
  if (!timer) {
    Sleep(ms);
    return;
  }
  LARGE_INTEGER due;
  due.QuadPart = -(LONGLONG)ms * 10000;  // negative: relative, in 100 ns units
  if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE))
    WaitForSingleObject(timer, INFINITE);
  else
    Sleep(ms);
  CloseHandle(timer);
}
