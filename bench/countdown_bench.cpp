// Count-down timing under Wine, printed as figures (not a test):
//   1. how late the time-up comes after the scheduled end tick, over repeated short
//      count-downs started at random sub-second moments (median, worst, mean in ms);
//   2. wake-ups per second of the loop during a longer count-down (one repaint request per
//      wake-up with seconds shown, counted as WM_PAINT on a visible window);
//   3. CPU time per minute of count-down of this process: the loop alone, with an empty
//      painter (bench/countdown.sh measures the real program from outside).
//
//   velmora_countdown_bench.exe [runs=10] [seconds=2] [long seconds=60]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "tests/support/test_window.h"

#include "common/settings.h"
#include "common/timer_state.h"
#include "common/window_requests.h"
#include "timers/countdown.h"

namespace {

std::vector<DWORD> timeUpTicks;
int paints = 0;

LRESULT CALLBACK benchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PLAY_SOUND: timeUpTicks.push_back(GetTickCount()); return 0;  // recorded, not played
    case WM_STOP_SOUND: return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(window, &ps);
      EndPaint(window, &ps);
      ++paints;
      return 0;
    }
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

void pump(DWORD ms) {
  DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (GetTickCount() - start < ms);
}

double cpuMs(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  auto ms = [](FILETIME f) { return (double)(((ULONGLONG)f.dwHighDateTime << 32) | f.dwLowDateTime) / 10000.0; };
  return ms(kernel) + ms(user);
}

void setInterval(int seconds) {
  intervalHours = seconds / 3600;
  intervalMinutes = seconds % 3600 / 60;
  intervalSeconds = seconds % 60;
}

void measureLateness(HWND window, int runs, int seconds) {
  std::mt19937 random(20261208);  // fixed start value: the same start offsets every run
  std::vector<int> late;
  for (int i = 0; i < runs; ++i) {
    pump(random() % 1000);
    size_t before = timeUpTicks.size();
    setInterval(seconds);
    repeatCount = 0;
    intervalStartThread(window);
    DWORD end = targetTick;
    while (timeUpTicks.size() == before) pump(5);
    late.push_back((int)(timeUpTicks.back() - end));
    pump(50);
  }
  std::sort(late.begin(), late.end());
  double mean = 0;
  for (int v : late) mean += v;
  mean /= late.size();
  printf("time-up after the scheduled end, %d count-downs of %d s: median %d ms, worst %d ms, best %d ms, mean %.1f ms\n",
         runs, seconds, late[late.size() / 2], late.back(), late.front(), mean);
}

void measureLoop(HWND window, int seconds) {
  setInterval(seconds);
  repeatCount = 0;
  pump(200);
  paints = 0;
  size_t before = timeUpTicks.size();
  double cpuBefore = cpuMs(GetCurrentProcess());
  DWORD start = GetTickCount();
  intervalStartThread(window);
  // Blocks until a message comes, so that this thread costs nothing while the loop runs.
  MSG msg;
  while (timeUpTicks.size() == before && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  DWORD took = GetTickCount() - start;
  double cpu = cpuMs(GetCurrentProcess()) - cpuBefore;
  printf("count-down of %d s (loop alone, empty painter): %d wake-ups = %.2f per second; CPU %.1f ms = %.1f ms per minute\n",
         seconds, paints, paints * 1000.0 / took, cpu, cpu * 60000.0 / took);
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? atoi(argv[1]) : 10;
  int seconds = argc > 2 ? atoi(argv[2]) : 2;
  int longSeconds = argc > 3 ? atoi(argv[3]) : 60;

  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  swprintf_s(settingsFilePath, 1024, L"%lsvelmora-countdown-bench-%lu.ini", temp, GetCurrentProcessId());
  START_SYURYO_CHECK = 0;
  ALARM_PLAY = 1;
  TIMER_LOOP = 0;
  SHOW_SEC = 1;
  SECOND_SOUND = 0;
  AUTO_CLOSE_INDEX = 0;
  BALLOON = 0;

  HWND window = testsupport::createVelmoraWindow(L"VELMORA_COUNTDOWN_BENCH", benchWindowProc, 200, 100);

  measureLateness(window, runs, seconds);
  measureLoop(window, longSeconds);
  DestroyWindow(window);
  DeleteFileW(settingsFilePath);
  return 0;
}
