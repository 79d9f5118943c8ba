// The program timer runner in-process with the real count-down loop: a probe window stands in
// for the main window and records the play and stop requests it gets; the step message boxes
// are found as this process's windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "countdown_test_support.h"

#include "app/context_menu.h"
#include "common/settings.h"
#include "common/timer_state.h"
#include "common/window_requests.h"
#include "programs/program_file.h"
#include "shell/looks.h"
#include "timers/countdown.h"
#include "timers/program_runner.h"
#include "program_test_support.h"

namespace {

using program_test::ProgramFolder;

struct Event {
  DWORD at;            // ms since the run started
  std::wstring what;   // "play <path> <loop>", "stop", "box <caption>: <text>"
  int stepAtEvent;     // programStep when the event was seen
};

std::mutex eventsLock;
std::vector<Event> events;
DWORD runStart = 0;

void record(const std::wstring& what) {
  std::lock_guard<std::mutex> hold(eventsLock);
  events.push_back({GetTickCount() - runStart, what, programStep});
}

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PLAY_SOUND:
      record(L"play " + std::wstring(reinterpret_cast<const wchar_t*>(wParam)) + L" " + std::to_wstring(lParam));
      releaseSoundRequestPath(reinterpret_cast<const wchar_t*>(wParam));
      return 0;
    case WM_STOP_SOUND: record(L"stop"); return 0;
    default:
      if (applyLookRequest(window, message, wParam, lParam)) return 0;
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

using countdown_test::textOf;

class Runner : public ProgramFolder {
 protected:
  void SetUp() override {
    ProgramFolder::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = probeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelmoraRunnerProbe";
    RegisterClassW(&wc);
    window_ = CreateWindowW(L"VelmoraRunnerProbe", L"Velmora", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                            nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    events.clear();
    PROGRAM_TIMER_LOOP = 0;
    BALLOON = 0;
    AUTO_CLOSE_INDEX = 0;
    targetTick = 0;
    runActive = 0;
    stopRequested = 0;
  }
  void TearDown() override {
    stopRun();
    closeBoxes();
    DestroyWindow(window_);
    ProgramFolder::TearDown();
  }
  void start() {
    runStart = GetTickCount();
    HANDLE thread = CreateThread(nullptr, 0, programStartThread, window_, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    CloseHandle(thread);
  }
  void stopRun() {
    stopRequested = runSerial.load();
    for (int i = 0; i < 50 && runActive != 0; ++i) pumpFor(50);
  }
  // Pumps the probe's messages for ms, noting each message box that appears.
  void pumpFor(DWORD ms) {
    DWORD until = GetTickCount() + ms;
    do {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      for (HWND box : countdown_test::ownDialogs()) {
        bool known = false;
        for (HWND seen : seenBoxes_) known = known || seen == box;
        if (known) continue;
        seenBoxes_.push_back(box);
        record(L"box " + textOf(box) + L": " + textOf(GetDlgItem(box, 0xFFFF)));
      }
      Sleep(10);
    } while ((int)(until - GetTickCount()) > 0);
  }
  void closeBoxes() {
    for (HWND box : seenBoxes_)
      if (IsWindow(box)) PostMessageW(box, WM_COMMAND, IDOK, 0);
    pumpFor(100);
  }
  std::vector<std::wstring> whats() {
    std::lock_guard<std::mutex> hold(eventsLock);
    std::vector<std::wstring> out;
    for (const Event& e : events) out.push_back(e.what);
    return out;
  }
  Event find(const std::wstring& what) {
    std::lock_guard<std::mutex> hold(eventsLock);
    for (const Event& e : events)
      if (e.what == what) return e;
    return {0, L"<none>", -1};
  }

  HWND window_ = nullptr;
  std::vector<HWND> seenBoxes_;
};

TEST_F(Runner, EachStepEndStartsTheNextStepThenPlaysAndShowsAndOpenBoxesDoNotHoldItUp) {
  ASSERT_TRUE(writeSlot(0, L"1000\tone.wav\t1\t一つ目\n1000\t\t0\t二つ目\n800\tthree.wav\t0\t\n"));
  start();
  pumpFor(500);
  EXPECT_EQ(textOf(window_), L"プログラムタイマー作動中 - Velmora");
  EXPECT_EQ(timerKind, 2);
  pumpFor(3000);

  // The first box is still open when the second and third steps end.
  std::vector<std::wstring> expected = {
      L"play one.wav 1",
      L"box Velmora: 一つ目",
      L"box Velmora: 二つ目",
      L"play three.wav 0",
  };
  EXPECT_EQ(whats(), expected);
  Event play = find(L"play one.wav 1");
  EXPECT_EQ(play.stepAtEvent, 1) << "the next step is set before the sound is asked for";
  EXPECT_GE(play.at, 950u);
  EXPECT_LE(play.at, 1400u);
  Event second = find(L"box Velmora: 二つ目");
  EXPECT_GE(second.at, 1950u);
  EXPECT_LE(second.at, 2600u);
  EXPECT_EQ(targetTick, 0u);
  EXPECT_EQ(textOf(window_), L"Velmora");

  // Closing a step's box asks to stop the sound.
  PostMessageW(seenBoxes_[0], WM_COMMAND, IDOK, 0);
  pumpFor(300);
  EXPECT_EQ(whats().back(), L"stop");
}

TEST_F(Runner, LoopStartsAgainAtTheFirstStepWithTheRepeatCaption) {
  ASSERT_TRUE(writeSlot(0, L"700\t\t0\tA\n700\t\t0\tB\n"));
  PROGRAM_TIMER_LOOP = 1;
  start();
  pumpFor(3200);
  stopRun();
  std::vector<std::wstring> got = whats();
  ASSERT_GE(got.size(), 4u);
  got.resize(4);
  std::vector<std::wstring> expected = {
      L"box Velmora: A",
      L"box Velmora: B",
      L"box 繰り返し 2 回目 - Velmora: A",
      L"box 繰り返し 2 回目 - Velmora: B",
  };
  EXPECT_EQ(got, expected);
  EXPECT_EQ(repeatCount, 2);
}

TEST_F(Runner, StoppingDuringAStepShowsAndPlaysNothingForIt) {
  ASSERT_TRUE(writeSlot(0, L"1500\ta.wav\t0\tnot shown\n1000\tb.wav\t0\tnor this\n"));
  start();
  pumpFor(500);
  ASSERT_NE(targetTick, 0u);
  stopRun();
  pumpFor(2500);
  EXPECT_TRUE(whats().empty()) << testing::PrintToString(whats());
  EXPECT_EQ(programStep, 0);
}

TEST_F(Runner, EmptyOrMissingProgramIsReported) {
  for (bool exists : {false, true}) {
    if (exists) {
      ASSERT_TRUE(writeSlot(0, L"0\tzero.wav\t0\tnothing\nabc\n"));
    }
    events.clear();
    start();
    pumpFor(800);
    std::vector<std::wstring> expected = {L"box Velmora: プログラムタイマーが正しく設定されていません"};
    EXPECT_EQ(whats(), expected);
    EXPECT_EQ(targetTick, 0u);
    closeBoxes();
  }
}

TEST_F(Runner, APendingPlayRequestSurvivesAReloadOfTheStepList) {
  ASSERT_TRUE(writeSlot(0, L"300\tkeep\\me.wav\t0\t\n"));
  start();
  // Wait for the request without handling it.
  MSG msg;
  DWORD until = GetTickCount() + 3000;
  while (!PeekMessageW(&msg, window_, WM_PLAY_SOUND, WM_PLAY_SOUND, PM_NOREMOVE) &&
         (int)(until - GetTickCount()) > 0)
    Sleep(10);
  ASSERT_EQ(msg.message, WM_PLAY_SOUND);
  const wchar_t* pointer = reinterpret_cast<const wchar_t*>(msg.wParam);
  const char* block = reinterpret_cast<const char*>(programSteps);
  const char* p = reinterpret_cast<const char*>(pointer);
  EXPECT_FALSE(p >= block && p < block + 64 * sizeof(ProgramStep)) << "points into the step list";

  // A new start reloads the list: first in place with other texts, then grown (moved).
  ASSERT_TRUE(writeSlot(0, L"300\tother.wav\t0\t\n"));
  loadProgramSteps(&programSteps);
  std::wstring many;
  for (int i = 0; i < 500; ++i) many += L"5\tlong-list.wav\t0\t\n";
  ASSERT_TRUE(writeSlot(0, many));
  loadProgramSteps(&programSteps);
  pumpFor(100);
  EXPECT_EQ(whats(), std::vector<std::wstring>{L"play keep\\me.wav 0"});
}

TEST_F(Runner, StartsAndStopsBetweenTwoStepsSeeTheRunningProgram) {
  // Short steps: the run is often between two count-downs, where targetTick is 0.
  std::wstring steps;
  for (int i = 0; i < 10; ++i) steps += L"40\t\t0\t\n";
  ASSERT_TRUE(writeSlot(0, steps));
  PROGRAM_TIMER_LOOP = 1;
  const int savedInterval[3] = {intervalHours, intervalMinutes, intervalSeconds};
  intervalHours = intervalMinutes = intervalSeconds = 0;  // an interval start would show nothing
  start();
  pumpFor(300);
  // Waits for a new box with this text and answers it with "いいえ".
  auto answerNo = [&](const std::wstring& text) {
    DWORD until = GetTickCount() + 3000;
    do {
      for (HWND box : countdown_test::ownDialogs())
        if (textOf(GetDlgItem(box, 0xFFFF)) == text) {
          PostMessageW(box, WM_COMMAND, IDNO, 0);
          while (IsWindow(box) && (int)(until - GetTickCount()) > 0) pumpFor(10);
          return true;
        }
      pumpFor(10);
    } while ((int)(until - GetTickCount()) > 0);
    return false;
  };
  // The menu offers "タイマー終了" all along, as F5 decides by the same state.
  int idleReadings = 0;
  for (DWORD until = GetTickCount() + 1000; (int)(until - GetTickCount()) > 0;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    for (int i = 0; i < 1000; ++i) idleReadings += !currentMenuState().timerRunning;
  }
  EXPECT_EQ(idleReadings, 0);
  const ProgramStep* list = programSteps;
  int stopQuestions = 0, replaceQuestions = 0;
  for (int i = 0; i < 15; ++i) {
    startStopToggleFromWindow(window_);  // F5
    stopQuestions += answerNo(L"タイマーを終了しますか？");
    HANDLE thread = CreateThread(nullptr, 0, programStartThread, window_, 0, nullptr);  // F8
    ASSERT_NE(thread, nullptr);
    CloseHandle(thread);
    replaceQuestions += answerNo(L"タイマーが作動中ですがいいですか？");
  }
  EXPECT_EQ(stopQuestions, 15) << "F5 started an interval timer instead of asking to stop";
  EXPECT_EQ(replaceQuestions, 15) << "F8 started over without asking";
  EXPECT_EQ(programSteps, list) << "the step list was loaded again under the running program";
  EXPECT_NE(runActive, 0);
  intervalHours = savedInterval[0], intervalMinutes = savedInterval[1], intervalSeconds = savedInterval[2];
}

TEST_F(Runner, SoundRequestBuffersAreReusedOnlyOnceRead) {
  // Requests wait unread behind a busy window thread: none takes a buffer that another still holds.
  std::vector<const wchar_t*> kept;
  for (int i = 0; i < 17; ++i) kept.push_back(keepSoundPathForRequest((std::to_wstring(i) + L".wav").c_str()));
  for (int i = 0; i < 16; ++i) EXPECT_EQ(std::wstring(kept[i]), std::to_wstring(i) + L".wav");
  EXPECT_EQ(kept[16], nullptr) << "a queued request's buffer was taken";
  // Once the window thread has read one, its buffer is taken again; a long path is cut whole.
  releaseSoundRequestPath(kept[3]);
  const wchar_t* again = keepSoundPathForRequest(std::wstring(2000, L'x').c_str());
  EXPECT_EQ(again, kept[3]);
  EXPECT_EQ(wcslen(again), 511u);
  for (const wchar_t* p : kept) releaseSoundRequestPath(p);
}

TEST_F(Runner, AStepEndingWhileTheProgramExitsLeavesTheRunResumable) {
  ASSERT_TRUE(writeSlot(0, L"600\t\t0\t\n5000\t\t0\t\n"));
  start();
  pumpFor(300);
  releaseProgramStepsAtExit();  // the window thread's last clean-up, the run going on
  for (int i = 0; i < 60 && (programStep != 1 || targetTick == 0u); ++i) pumpFor(50);  // the first step ends
  EXPECT_EQ(whats(), std::vector<std::wstring>{});
  EXPECT_EQ(programStep, 1);
  wchar_t resume[8] = L"";
  GetPrivateProfileStringW(L"TIMER", L"RESUME", L"", resume, 8, settingsFilePath);
  EXPECT_STREQ(resume, L"1");
}

}  // namespace
