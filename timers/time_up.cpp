#include "timers/time_up.h"

#include <cwchar>

#include "common/message_async.h"
#include "common/settings.h"
#include "common/threads.h"
#include "common/timer_state.h"
#include "common/window_requests.h"
#include "timers/countdown.h"
#include "timers/program_runner.h"
#include "timers/timer_shell.h"

void formatTimeUpCaption(int repeats, wchar_t* caption, size_t size) {
  if (repeats != 0) swprintf_s(caption, size, L"繰り返し %d 回目 - Velmora", repeats + 1);
}

bool repeatFollows(int timerLoop, int kind, int timeOfDayLoop) {
  return timerLoop && (kind != TIMER_KIND_TIME_OF_DAY || timeOfDayLoop);
}

void showTimeUpBox(HWND window, const wchar_t* text, const wchar_t* caption) {
  // The window thread flashes: FlashWindowEx waits for the window's thread.
  PostMessageW(window, WM_FLASH_WINDOW, 1, 0);
  MessageBoxW(window, text, caption, kTimeUpBoxFlags);
  PostMessageW(window, WM_FLASH_WINDOW, 0, 0);
}

void handleTimeUp(HWND window, wchar_t* caption) {
  window = followMainWindow(window);  // the shell may have taken the window of the start
  // The run goes on with the next step, a repeat, or ends here; whichever thread goes on with it
  // owns it, and every path that ends it writes RESUME 0 (endRun).
  if (timerKind == TIMER_KIND_PROGRAM) {
    if (!startThread(programStepEndThread, window)) {
      endRun();
      tellFailure(window, NOTICE_THREAD);  // this is the count-down's thread: no box here
    }
    return;
  }
  // Posted, never sent: the window thread opens the file, this thread does not wait. The
  // alarm goes first: the settings write below rewrites the whole file and takes milliseconds.
  if (ALARM_PLAY) PostMessageW(window, WM_PLAY_SOUND, (WPARAM)ALARM_FILE, ALARM_LOOP);
  const bool repeat = repeatFollows(TIMER_LOOP, timerKind, JIKOKU_LOOP);
  if (!repeat) saveResumeFlag(0);
  formatTimeUpCaption(repeatCount, caption, 128);

  if (repeat) {
    repeatCount += 1;
    if (!startThread(intervalRepeatThread, window)) {
      endRun();
      showMessageAsync(window, L"スレッドの作成に失敗しました", L"Velmora", MB_ICONERROR);
    }
  } else {
    timerShell.runFinished(window);
    runActive = 0;
  }

  if (START_SYURYO_CHECK) {
    if (!timerShell.balloon(window, L"時間になりました", caption)) {
      showTimeUpBox(window, L"時間になりました", caption);
      PostMessageW(window, WM_STOP_SOUND, 0, 0);
    }
  }
  InvalidateRect(window, nullptr, FALSE);
}
