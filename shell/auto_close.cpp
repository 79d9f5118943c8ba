#include "shell/auto_close.h"

#include <commctrl.h>

#include <atomic>

#include <cwchar>

#include "common/dialog_helpers.h"
#include "common/settings.h"
#include "common/timer_state.h"
#include "common/window_requests.h"
#include "res/resource.h"

namespace {

// The run whose end started the latest countdown: a countdown never closes the program once a
// later run has started.
std::atomic<uint32_t> autoCloseRun{0};

}  // namespace

bool autoCloseApplies(int index, bool interval, bool timeOfDay, bool program, int kind) {
  switch (index) {
    case 1:
      return (interval && kind == TIMER_KIND_INTERVAL) || (timeOfDay && kind == TIMER_KIND_TIME_OF_DAY) ||
             (program && kind == TIMER_KIND_PROGRAM);
    case 2: return true;
    default: return false;
  }
}

AutoCloseTitle autoCloseTitle(uint32_t leftMs) {
  AutoCloseTitle title{};
  if (leftMs < 60000) {
    swprintf_s(title.text, 128, L"あと%u秒で自動終了 - Velmora", leftMs / 1000);
    title.pauseMs = leftMs % 1000 + 50;
  } else {
    swprintf_s(title.text, 128, L"あと%u分で自動終了 - Velmora", leftMs / 60000);
    title.pauseMs = leftMs % 60000 + 100;
  }
  return title;
}

void triggerAutoClose(HWND window) {
  if (!autoCloseApplies(AUTO_CLOSE_INDEX, AUTO_CLOSE_KT, AUTO_CLOSE_JT, AUTO_CLOSE_PT, timerKind)) return;
  // Created suspended so that its id is in place before it first compares it; the same store
  // retires any older countdown.
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, autoCloseThread, window, CREATE_SUSPENDED, &id);
  if (!thread) return;
  autoCloseRun = runSerial.load();
  autoCloseThreadId = id;
  autoCloseGeneration += 1;
  ResumeThread(thread);
  CloseHandle(thread);
}

DWORD WINAPI autoCloseThread(LPVOID parameter) {
  HWND window = (HWND)parameter;
  const DWORD me = GetCurrentThreadId();
  const uint32_t generation = autoCloseGeneration;
  const uint32_t run = autoCloseRun;
  const int grace = AUTO_CLOSE_SEC;
  uint64_t now = GetTickCount64();
  const uint64_t end = now + (uint64_t)(grace < 0 ? 0 : grace) * 1000u;
  while (autoCloseThreadId == me) {
    if (now >= end) {
      // The close is taken in one step against a start that cancels it; a run that got in
      // first keeps the program open.
      DWORD live = me;
      if (!autoCloseThreadId.compare_exchange_strong(live, 0) || runSerial != run) return 0;
      EXIT_CHECK = 0;
      PostMessageW(followMainWindow(window), WM_CLOSE, 0, 0);
      return 0;
    }
    const uint32_t left = (uint32_t)(end - now);
    AutoCloseTitle title = autoCloseTitle(left);
    showAutoCloseTitle(window, generation, left);
    Sleep(title.pauseMs);
    now = GetTickCount64();
  }
  return 0;
}

namespace {

void onInitDialog(HWND dialog) {
  setUpDown(dialog, IDC_AUTO_CLOSE_SEC_SPIN, 0, 32767, AUTO_CLOSE_SEC);
}

void onOk(HWND dialog) {
  int seconds = (short)(upDownPosition(dialog, IDC_AUTO_CLOSE_SEC_SPIN) & 0xFFFF);
  AUTO_CLOSE_SEC = seconds < 0 ? 0 : seconds;
  saveAutoCloseSettings();
  EndDialog(dialog, 1);
}

}  // namespace

INT_PTR CALLBACK autoCloseDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  static const OkCancelDialog handlers = {onInitDialog, onOk};
  return okCancelDialogMessage(dialog, message, wParam, handlers);
}
