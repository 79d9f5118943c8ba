// Auto-close: which finished timers close the program, the countdown titles and pauses, the
// tick limit, the countdown thread's retirement, and dialog 203 driven in-process.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <thread>

#include "common/settings.h"
#include "res/resource.h"
#include "shell/looks.h"
#include "shell/auto_close.h"
#include "common/timer_state.h"
#include "dialog_driver.h"

namespace {

TEST(AutoCloseRule, IndexAndPerKindSwitches) {
  const int kinds[3] = {TIMER_KIND_TIME_OF_DAY, TIMER_KIND_INTERVAL, TIMER_KIND_PROGRAM};
  for (int kind : kinds) {
    EXPECT_FALSE(autoCloseApplies(0, true, true, true, kind)) << kind;
    EXPECT_TRUE(autoCloseApplies(2, false, false, false, kind)) << kind;
    EXPECT_FALSE(autoCloseApplies(1, false, false, false, kind)) << kind;
    EXPECT_TRUE(autoCloseApplies(1, true, true, true, kind)) << kind;
  }
  // Only the program timer switch on: an interval end stays open, a program end closes.
  EXPECT_FALSE(autoCloseApplies(1, false, false, true, TIMER_KIND_INTERVAL));
  EXPECT_FALSE(autoCloseApplies(1, false, false, true, TIMER_KIND_TIME_OF_DAY));
  EXPECT_TRUE(autoCloseApplies(1, false, false, true, TIMER_KIND_PROGRAM));
  EXPECT_TRUE(autoCloseApplies(1, true, false, false, TIMER_KIND_INTERVAL));
  EXPECT_TRUE(autoCloseApplies(1, false, true, false, TIMER_KIND_TIME_OF_DAY));
}

TEST(AutoCloseTitle, WholeUnitsLeftAndPausesToTheNextChange) {
  struct Case {
    uint32_t left;
    const wchar_t* text;
    DWORD pause;
  } cases[] = {
      {300000, L"あと5分で自動終了 - Velmora", 100},
      {299900, L"あと4分で自動終了 - Velmora", 59900 + 100},
      {90000, L"あと1分で自動終了 - Velmora", 30100},  // 90 s grace: "1 minute" for 30.1 s
      {60000, L"あと1分で自動終了 - Velmora", 100},
      {59999, L"あと59秒で自動終了 - Velmora", 1049},
      {59900, L"あと59秒で自動終了 - Velmora", 950},
      {1000, L"あと1秒で自動終了 - Velmora", 50},
      {999, L"あと0秒で自動終了 - Velmora", 1049},
      {1, L"あと0秒で自動終了 - Velmora", 51},
  };
  for (const Case& c : cases) {
    AutoCloseTitle t = autoCloseTitle(c.left);
    EXPECT_EQ(std::wstring(t.text), c.text) << c.left;
    EXPECT_EQ(t.pauseMs, c.pause) << c.left;
  }
}

// A window that records WM_CLOSE and applies the title requests posted by the countdown.
struct Target {
  HWND window = nullptr;
  static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_CLOSE) {
      SetPropW(w, L"closed", (HANDLE)1);
      return 0;
    }
    if (applyLookRequest(w, m, wp, lp)) return 0;
    return DefWindowProcW(w, m, wp, lp);
  }
  Target() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelmoraAutoCloseTarget";
    RegisterClassW(&wc);
    window = CreateWindowW(wc.lpszClassName, L"Velmora", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           wc.hInstance, nullptr);
  }
  ~Target() { DestroyWindow(window); }
  bool closed() const { return GetPropW(window, L"closed") != nullptr; }
  std::wstring title() const {
    wchar_t t[128] = L"";
    InternalGetWindowText(window, t, 128);
    return t;
  }
  // Lets posted and sent messages through for ms.
  void pump(DWORD ms) const {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(10);
    }
  }
};

// Puts the auto-close settings and the exit question back after each test.
class AutoCloseCountdown : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_[0] = AUTO_CLOSE_INDEX;
    saved_[1] = AUTO_CLOSE_KT;
    saved_[2] = AUTO_CLOSE_JT;
    saved_[3] = AUTO_CLOSE_PT;
    saved_[4] = AUTO_CLOSE_SEC;
    saved_[5] = EXIT_CHECK;
    saved_[6] = timerKind;
  }
  void TearDown() override {
    autoCloseThreadId = 0;
    AUTO_CLOSE_INDEX = saved_[0];
    AUTO_CLOSE_KT = saved_[1];
    AUTO_CLOSE_JT = saved_[2];
    AUTO_CLOSE_PT = saved_[3];
    AUTO_CLOSE_SEC = saved_[4];
    EXIT_CHECK = saved_[5];
    timerKind = saved_[6];
  }
  int saved_[7];
};

TEST_F(AutoCloseCountdown, GraceZeroClosesWithoutTheExitQuestion) {
  Target target;
  AUTO_CLOSE_INDEX = 2;
  AUTO_CLOSE_SEC = 0;
  EXIT_CHECK = 1;
  triggerAutoClose(target.window);
  target.pump(300);
  EXPECT_TRUE(target.closed());
  EXPECT_EQ(EXIT_CHECK, 0);
}

TEST_F(AutoCloseCountdown, CountsDownInTheTitleAndOnlyTheLaterOneStaysLive) {
  Target target;
  AUTO_CLOSE_INDEX = 1;
  AUTO_CLOSE_KT = 1;
  AUTO_CLOSE_JT = AUTO_CLOSE_PT = 0;
  AUTO_CLOSE_SEC = 2;
  timerKind = TIMER_KIND_PROGRAM;
  triggerAutoClose(target.window);  // not for this kind
  EXPECT_EQ(autoCloseThreadId, 0u);
  timerKind = TIMER_KIND_INTERVAL;
  triggerAutoClose(target.window);
  DWORD first = autoCloseThreadId;
  ASSERT_NE(first, 0u);
  target.pump(100);
  EXPECT_EQ(target.title(), L"あと1秒で自動終了 - Velmora");
  AUTO_CLOSE_SEC = 30;
  triggerAutoClose(target.window);
  EXPECT_NE(autoCloseThreadId, first);
  // The first countdown's 2 s pass without a close: it was retired.
  target.pump(2500);
  EXPECT_FALSE(target.closed());
  EXPECT_EQ(target.title(), L"あと27秒で自動終了 - Velmora");
  autoCloseThreadId = 0;  // as a click does
  target.pump(1200);
  EXPECT_FALSE(target.closed());
  EXPECT_EQ(target.title(), L"あと27秒で自動終了 - Velmora") << "a retired countdown leaves the title alone";
}

TEST_F(AutoCloseCountdown, ACancelledCountdownNeverPutsItsTitleBack) {
  Target target;
  AUTO_CLOSE_INDEX = 2;
  AUTO_CLOSE_SEC = 30;
  triggerAutoClose(target.window);
  // The countdown asks for its first title while the window's thread is busy; the user's
  // click is handled first.
  Sleep(200);
  cancelAutoCloseLook(target.window);
  target.pump(300);
  EXPECT_EQ(target.title(), L"Velmora");
  EXPECT_EQ(autoCloseThreadId, 0u);
}

INT_PTR runGraceDialog(const std::function<void(HWND)>& drive) {
  return dialogtest::runDialogDriven(IDD_AUTO_CLOSE, autoCloseDialogProc, nullptr, drive);
}

class GraceDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    swprintf_s(path_, MAX_PATH, L"%lsvelmora-grace-%lu.ini", dir, GetCurrentProcessId());
    DeleteFileW(path_);
    wcscpy_s(saved_, settingsFilePath);
    wcscpy_s(settingsFilePath, path_);
  }
  void TearDown() override {
    DeleteFileW(path_);
    wcscpy_s(settingsFilePath, saved_);
  }
  wchar_t path_[MAX_PATH];
  wchar_t saved_[1024];
};

TEST_F(GraceDialog, OpensAtTheGraceTimeAndSavesTheNewOneOnOk) {
  AUTO_CLOSE_SEC = 300;
  AUTO_CLOSE_INDEX = 1;
  std::wstring shown;
  INT_PTR result = runGraceDialog([&](HWND d) {
    wchar_t text[16];
    GetDlgItemTextW(d, IDC_AUTO_CLOSE_SEC, text, 16);
    shown = text;
    SetDlgItemTextW(d, IDC_AUTO_CLOSE_SEC, L"45");
    PostMessageW(d, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(shown, L"300");
  EXPECT_EQ(AUTO_CLOSE_SEC, 45);
  EXPECT_EQ(GetPrivateProfileIntW(L"OPTION_SETTING", L"AUTO_CLOSE_SEC", -1, path_), 45u);
  EXPECT_EQ(GetPrivateProfileIntW(L"OPTION_SETTING", L"AUTO_CLOSE_INDEX", -1, path_), 1u);
  AUTO_CLOSE_INDEX = 0;
  AUTO_CLOSE_SEC = 300;
}

TEST_F(GraceDialog, CancelKeepsTheGraceTimeAndWritesNothing) {
  AUTO_CLOSE_SEC = 120;
  INT_PTR result = runGraceDialog([](HWND d) {
    SetDlgItemTextW(d, IDC_AUTO_CLOSE_SEC, L"5");
    PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(AUTO_CLOSE_SEC, 120);
  EXPECT_EQ(GetFileAttributesW(path_), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
