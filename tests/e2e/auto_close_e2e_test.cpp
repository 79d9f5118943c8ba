// Auto-close end to end: the countdown in the title, the close without the exit question,
// cancelling by a click and by a command, and which finished timers trigger it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "velmora_harness.h"

using e2e::VelmoraProcess;

namespace {

const wchar_t kIntervalTitle[] = L"間隔指定タイマー作動中 - Velmora";
const wchar_t kProgramTitle[] = L"プログラムタイマー作動中 - Velmora";

std::wstring settings(const std::wstring& options) {
  return L"[OPTION_SETTING]\r\nSTART_SYURYO_CHECK=0\r\nALARM_PLAY=0\r\n" + options;
}

std::wstring secondsLeft(int n) { return L"あと" + std::to_wstring(n) + L"秒で自動終了 - Velmora"; }

TEST(AutoCloseE2E, CountsDownInTheTitleAndClosesWithoutTheExitQuestion) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(settings(L"AUTO_CLOSE_INDEX=2\r\nAUTO_CLOSE_SEC=3\r\nEXIT_CHECK=1\r\n")));
  ASSERT_TRUE(app.start(L"1")) << app.lastError();
  std::vector<std::wstring> titles;
  bool exitQuestion = false;
  e2e::waitFor([&] {
    if (!app.running()) return true;
    std::wstring t = app.title();
    if (!t.empty() && (titles.empty() || titles.back() != t)) titles.push_back(t);
    exitQuestion = exitQuestion || app.findMessageBox(L"終了しますがいいですか？") != nullptr;
    return false;
  }, 8000, 10);
  EXPECT_FALSE(exitQuestion);
  ASSERT_FALSE(app.running()) << "titles seen: " << titles.size();
  EXPECT_EQ(app.exitCode(), 0u);
  // The running title, then whole seconds of grace counting down.
  std::vector<std::wstring> countdown;
  for (const std::wstring& t : titles)
    if (t.find(L"自動終了") != std::wstring::npos) countdown.push_back(t);
  std::vector<std::wstring> expected{secondsLeft(3), secondsLeft(2), secondsLeft(1), secondsLeft(0)};
  EXPECT_EQ(countdown, expected);
  // The running title came first (the window may show "Velmora" before the count-down starts).
  auto running = std::find(titles.begin(), titles.end(), std::wstring(kIntervalTitle));
  auto counting = std::find(titles.begin(), titles.end(), secondsLeft(3));
  EXPECT_TRUE(running < counting);
}

TEST(AutoCloseE2E, GraceZeroClosesRightAfterTheEnd) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(settings(L"AUTO_CLOSE_INDEX=2\r\nAUTO_CLOSE_SEC=0\r\nEXIT_CHECK=1\r\n")));
  ASSERT_TRUE(app.start(L"1")) << app.lastError();
  ASSERT_TRUE(app.waitForExit(3000));
  EXPECT_EQ(app.exitCode(), 0u);
}

TEST(AutoCloseE2E, AClickOrACommandCancelsAndStillActs) {
  enum How { Click, Command, TrayRelease };
  struct Case {
    const char* what;
    How how;
  } cases[] = {{"left button press in the window", Click},
               {"seconds switch command", Command},
               {"left button release on the tray icon", TrayRelease}};
  for (const Case& c : cases) {
    VelmoraProcess app;
    ASSERT_TRUE(app.writeSettings(settings(L"AUTO_CLOSE_INDEX=2\r\nAUTO_CLOSE_SEC=3\r\n")));
    ASSERT_TRUE(app.start(L"1")) << app.lastError();
    ASSERT_TRUE(app.waitForTitle(secondsLeft(2), 4000)) << c.what << ": " << app.title();
    switch (c.how) {
      case Click:
        ASSERT_TRUE(app.post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20)));
        ASSERT_TRUE(app.post(WM_LBUTTONUP, 0, MAKELPARAM(20, 20)));
        break;
      case Command: ASSERT_TRUE(app.command(33)); break;
      case TrayRelease: ASSERT_TRUE(app.post(WM_APP, 1, WM_LBUTTONUP)); break;
    }
    EXPECT_TRUE(app.waitForTitle(L"Velmora", 1000)) << c.what << ": " << app.title();
    if (c.how == Command) {
      EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"SHOW_SEC", -1) == 0; }, 2000))
          << "the command still took effect";
    }
    // Well past the grace time: still open, title untouched by the retired countdown.
    Sleep(3500);
    EXPECT_TRUE(app.running()) << c.what;
    EXPECT_EQ(app.title(), L"Velmora") << c.what;
    EXPECT_TRUE(app.dialogs().empty()) << c.what;
    EXPECT_TRUE(app.close()) << c.what;
  }
}

TEST(AutoCloseE2E, OnlyTheChosenTimerKindsAndNoRepeatingRunTriggerIt) {
  const std::wstring programFile = e2e::currentUserName() + L"_program_timer_0.txt";
  {
    // Per kind with only the program timer switch on: an interval end keeps the program open.
    VelmoraProcess app;
    ASSERT_TRUE(app.writeSettings(settings(L"AUTO_CLOSE_INDEX=1\r\nAUTO_CLOSE_PT=1\r\nAUTO_CLOSE_SEC=1\r\n")));
    ASSERT_TRUE(app.writeUtf16File(programFile, L"1000\r\n"));
    ASSERT_TRUE(app.start(L"1")) << app.lastError();
    ASSERT_TRUE(app.waitForTitle(kIntervalTitle)) << app.title();
    ASSERT_TRUE(app.waitForTitle(L"Velmora", 3000)) << app.title();
    Sleep(2500);
    EXPECT_TRUE(app.running());
    EXPECT_EQ(app.title(), L"Velmora");
    // ... and the program timer's end closes it.
    ASSERT_TRUE(app.key(VK_F8));
    ASSERT_TRUE(app.waitForTitle(kProgramTitle)) << app.title();
    EXPECT_TRUE(app.waitForExit(5000));
  }
  {
    // Always, but the interval repeats: no countdown while the series goes on.
    VelmoraProcess app;
    ASSERT_TRUE(app.writeSettings(settings(L"AUTO_CLOSE_INDEX=2\r\nAUTO_CLOSE_SEC=1\r\nTIMER_LOOP=1\r\n")));
    ASSERT_TRUE(app.start(L"1")) << app.lastError();
    bool countdownSeen = false;
    e2e::waitFor([&] {
      countdownSeen = countdownSeen || app.title().find(L"自動終了") != std::wstring::npos;
      return !app.running();
    }, 4000, 20);
    EXPECT_FALSE(countdownSeen);
    EXPECT_TRUE(app.running());
    EXPECT_TRUE(app.close());
  }
}

TEST(AutoCloseE2E, MenuCommandsAndTheGraceDialogSaveTheFiveKeys) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(settings(L"AUTO_CLOSE_SEC=300\r\n")));
  ASSERT_TRUE(app.start()) << app.lastError();
  auto keys = [&] {
    return std::vector<int>{app.iniInt(L"OPTION_SETTING", L"AUTO_CLOSE_INDEX", -1),
                            app.iniInt(L"OPTION_SETTING", L"AUTO_CLOSE_KT", -1),
                            app.iniInt(L"OPTION_SETTING", L"AUTO_CLOSE_JT", -1),
                            app.iniInt(L"OPTION_SETTING", L"AUTO_CLOSE_PT", -1),
                            app.iniInt(L"OPTION_SETTING", L"AUTO_CLOSE_SEC", -1)};
  };
  ASSERT_TRUE(app.command(18));  // by timer kind
  ASSERT_TRUE(app.command(21));  // time-of-day switch on
  EXPECT_TRUE(e2e::waitFor([&] { return keys() == std::vector<int>{1, 0, 1, 0, 300}; }, 2000));
  ASSERT_TRUE(app.command(21));
  ASSERT_TRUE(app.command(19));  // always
  EXPECT_TRUE(e2e::waitFor([&] { return keys() == std::vector<int>{2, 0, 0, 0, 300}; }, 2000));

  ASSERT_TRUE(app.command(23));
  HWND dialog = app.waitForDialog(L"自動終了猶予時間設定");
  ASSERT_NE(dialog, nullptr);
  wchar_t shown[16] = L"";
  SendMessageW(GetDlgItem(dialog, 1058), WM_GETTEXT, 16, (LPARAM)shown);  // marshalled across processes
  EXPECT_STREQ(shown, L"300");
  e2e::saveDialogShot(dialog, L"dialog203.bmp");
  SendMessageW(GetDlgItem(dialog, 1058), WM_SETTEXT, 0, (LPARAM)L"7");
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
  ASSERT_TRUE(VelmoraProcess::waitForGone(dialog));
  EXPECT_TRUE(e2e::waitFor([&] { return keys() == std::vector<int>{2, 0, 0, 0, 7}; }, 2000));
  EXPECT_TRUE(app.close());
}

}  // namespace
