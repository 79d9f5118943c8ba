#include "timers/program_runner.h"

#include <atomic>
#include <cwchar>

#include "common/message_async.h"
#include "common/settings.h"
#include "common/threads.h"
#include "common/timer_state.h"
#include "common/window_requests.h"
#include "programs/program_file.h"
#include "timers/countdown.h"
#include "timers/local_time.h"
#include "timers/time_up.h"
#include "timers/timer_shell.h"

namespace {

const wchar_t kCaption[] = L"Velmora";
const wchar_t kThreadFailure[] = L"スレッドの作成に失敗しました";

void copyText(wchar_t* target, size_t capacity, const wchar_t* source) {
  size_t n = 0;
  while (n + 1 < capacity && source[n]) {
    target[n] = source[n];
    ++n;
  }
  target[n] = L'\0';
}

}  // namespace

void releaseProgramStepsAtExit() {
  if (runActive == 0) freeProgramSteps();
}

DWORD WINAPI programStartThread(LPVOID parameter) {
  HWND window = static_cast<HWND>(parameter);
  // The step list is only loaded once this start owns the run: the threads of a running run
  // (also between two of its steps) read it.
  if (!claimRunReplacing(window)) return 0;
  loadProgramSteps(&programSteps);
  if (programStepCount(programSteps) == 0) {
    runActive = 0;
    // Told by the window: a box here would hold this start's thread until it is closed.
    showMessageAsync(window, L"プログラムタイマーが正しく設定されていません", kCaption, MB_OK);
    return 0;
  }
  repeatCount = 0;
  programStep = 0;
  if (!startThread(programStepStartThread, window)) {
    endRun();
    tellFailure(window, NOTICE_THREAD);
  }
  return 0;
}

DWORD WINAPI programStepStartThread(LPVOID parameter) {
  HWND window = static_cast<HWND>(parameter);
  const uint64_t tick = GetTickCount64();
  lastTick = tick;
  const int64_t nowMs = calendarNowMs();
  const int step = programStep;
  // A stop that came between two steps, or a step that is gone, ends the run here.
  if (takeStopRequest() || step < 0 || step >= programStepCount(programSteps)) {
    endRun();
    InvalidateRect(window, nullptr, FALSE);
    return 0;
  }
  const uint32_t wait = programSteps[step].waitMs;
  if (!claimTargetTick(tick + wait)) {
    endRun();
    return 0;
  }
  SYSTEMTIME end = targetTime;
  calendarEnd(nowMs, wait, end);
  startCountdown(window, TIMER_KIND_PROGRAM, end, nowMs + wait);
  return 0;
}

DWORD WINAPI programStepEndThread(LPVOID parameter) {
  HWND window = static_cast<HWND>(parameter);
  wchar_t caption[128] = L"Velmora";
  const int ended = programStep;
  const int passCount = repeatCount;
  const int n = programStepCount(programSteps);
  if (ended < 0 || ended >= n) {
    endRun();
    showMessageAsync(window, L"プログラムタイマーの復元に失敗しました", kCaption, MB_ICONERROR);
    return 0;
  }
  // The ended step's texts are copied before anything else: only a new start replaces the list.
  const ProgramStep& step = programSteps[ended];
  const int repeat = step.repeat;
  const wchar_t* soundPath = step.soundFile[0] ? keepSoundPathForRequest(step.soundFile) : nullptr;
  wchar_t message[256];
  copyText(message, 256, step.message);

  bool finished = false;
  if (ended + 1 < n) {
    programStep = ended + 1;
  } else if (PROGRAM_TIMER_LOOP) {
    programStep = 0;
    repeatCount = passCount + 1;
  } else {
    finished = true;
  }
  if (finished) {
    InvalidateRect(window, nullptr, FALSE);
    timerShell.runFinished(window);
    endRun();
  } else if (!startThread(programStepStartThread, window)) {
    endRun();
    showMessageAsync(window, kThreadFailure, kCaption, MB_ICONERROR);
    InvalidateRect(window, nullptr, FALSE);
  }

  if (soundPath && !PostMessageW(window, WM_PLAY_SOUND, (WPARAM)soundPath, (LPARAM)repeat))
    releaseSoundRequestPath(soundPath);
  if (!message[0]) return 0;
  formatTimeUpCaption(passCount, caption, 128);
  wchar_t title[64];
  copyText(title, 64, caption);
  if (timerShell.balloon(window, message, title)) return 0;
  showTimeUpBox(window, message, caption);
  PostMessageW(window, WM_STOP_SOUND, 0, 0);
  return 0;
}
