// The alarm at time-up driven through the real program: a file MCI cannot open gives one
// error box and the timer still ends; a looping alarm is stopped by F4, a double click or
// closing the notice. Whether the alarm plays is read from what a double click does: while it
// plays a double click only stops it, otherwise it switches the window's frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "velmora_harness.h"

using e2e::VelmoraProcess;

namespace {

const wchar_t kLoadError[] = L"アラームファイルの読み込みエラー - Velmora";
const wchar_t kTimeUp[] = L"時間になりました";

std::wstring settings(const std::wstring& options) {
  return L"[OPTION_SETTING]\r\nALWAYS_TRAY=0\r\nEXIT_CHECK=0\r\n" + options +
         L"[TIMER_SETTING]\r\nHOUR=0\r\nMIN=0\r\nSEC=1\r\n";
}

bool framed(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME)) != 0; }

// Double-clicks the client area; true when the frame stayed (the alarm was playing).
bool doubleClickFoundAlarmPlaying(VelmoraProcess& app) {
  bool before = framed(app.window());
  const int seconds = app.iniInt(L"OPTION_SETTING", L"SHOW_SEC", 1);
  app.post(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(30, 30));
  // Posted messages are handled in order: once F2 is written, the double click was handled.
  app.key(VK_F2);
  e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"SHOW_SEC", -1) == (seconds ? 0 : 1); }, 5000);
  app.findMainWindow();
  return framed(app.window()) == before;
}

TEST(AlarmE2E, FileThatCannotBeOpenedGivesOneErrorBoxAndTheTimerStillEnds) {
  const wchar_t* paths[] = {L"missing.wav", L"alarm.wav\" alias other wait \""};
  for (const wchar_t* path : paths) {
    SCOPED_TRACE(testing::Message() << "path length " << wcslen(path));
    VelmoraProcess app;
    ASSERT_TRUE(app.writeSettings(settings(L"ALARM_FILE=" + std::wstring(path) + L"\r\n")));
    ASSERT_TRUE(app.start()) << app.lastError();
    app.key(VK_F5);
    HWND timeUp = app.waitForMessageBox(kTimeUp, 4000);
    ASSERT_NE(timeUp, nullptr) << "the timer did not end";
    ASSERT_NE(app.waitForDialog(kLoadError, 2000), nullptr);
    Sleep(500);
    int errors = 0;
    for (HWND box : app.dialogs())
      if (VelmoraProcess::caption(box) == kLoadError) {
        ++errors;
        EXPECT_FALSE(VelmoraProcess::messageBoxText(box).empty());
      }
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(app.title(), L"Velmora");
    app.killHard();
  }
}

TEST(AlarmE2E, LoopingAlarmIsStoppedByF4ADoubleClickOrClosingTheNotice) {
  enum How { F4, DoubleClick, Notice };
  for (How how : {DoubleClick, F4, Notice}) {
    SCOPED_TRACE(testing::Message() << "stopped by " << (how == F4 ? "F4" : how == DoubleClick ? "double click" : "notice"));
    VelmoraProcess app;
    std::wstring options = L"ALARM_LOOP=1\r\n";
    if (how != Notice) options += L"START_SYURYO_CHECK=0\r\n";
    ASSERT_TRUE(app.writeSettings(settings(options)));
    ASSERT_TRUE(app.start()) << app.lastError();
    app.key(VK_F5);
    HWND notice = nullptr;
    if (how == Notice) {
      HWND start = app.waitForMessageBox(L"カウントダウンスタート");
      VelmoraProcess::pressButton(start, IDOK);
      notice = app.waitForMessageBox(kTimeUp, 4000);
      ASSERT_NE(notice, nullptr);
    } else {
      ASSERT_TRUE(app.waitForTitle(L"間隔指定タイマー作動中 - Velmora", 1000));
      ASSERT_TRUE(app.waitForTitle(L"Velmora", 3000));
    }
    Sleep(2000);  // longer than alarm.wav (1.5 s): still sounding means it looped

    switch (how) {
      case F4: app.key(VK_F4); break;
      case DoubleClick: EXPECT_TRUE(doubleClickFoundAlarmPlaying(app)) << "not looping"; break;
      case Notice: VelmoraProcess::pressButton(notice, IDOK); break;
    }
    Sleep(300);
    EXPECT_FALSE(doubleClickFoundAlarmPlaying(app)) << "the alarm still plays";
    app.killHard();
  }
}

TEST(AlarmE2E, AlarmDialogSavesItsKeys) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(settings(L"")));
  ASSERT_TRUE(app.start()) << app.lastError();
  app.command(32);
  HWND dialog = app.waitForDialog(L"アラーム音設定");
  ASSERT_NE(dialog, nullptr);
  e2e::saveDialogShot(dialog, L"dialog208.bmp");
  SendMessageW(GetDlgItem(dialog, 1042), WM_SETTEXT, 0, (LPARAM)L"C:\\音\\ベル.wav");
  SendMessageW(GetDlgItem(dialog, 1044), BM_SETCHECK, BST_CHECKED, 0);
  VelmoraProcess::pressButton(dialog, IDOK);
  ASSERT_TRUE(VelmoraProcess::waitForGone(dialog));
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniString(L"OPTION_SETTING", L"ALARM_LOOP") == L"1"; }, 2000));
  EXPECT_EQ(app.iniString(L"OPTION_SETTING", L"ALARM_PLAY"), L"1");
  EXPECT_EQ(app.iniString(L"OPTION_SETTING", L"ALARM_FILE"), L"C:\\音\\ベル.wav");
  EXPECT_TRUE(app.close()) << app.lastError();
}

}  // namespace

namespace {

// Another program posting the play request with values that are not Velmora's own paths (as
// a new user's program might use the same message number): Velmora neither crashes nor reads
// its own memory as a file name.
TEST(AlarmE2E, ForeignPlayRequestsAreIgnored) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(settings(L"SHOW_SEC=1\r\n")));
  ASSERT_TRUE(app.start()) << app.lastError();
  // No pointer at all, the program's own image (readable memory that is no path), the top of
  // the user address space, and a pointer this process made up.
  const WPARAM values[] = {0, 1, 0x400000, 0x7FFEFFF0, 0xFFFFFFFF, (WPARAM)L"alarm.wav"};
  for (WPARAM value : values) ASSERT_TRUE(app.post(WM_APP + 1, value, 1));
  // Posted messages are handled in order: once F2 has been written, every request was seen.
  ASSERT_TRUE(app.key(VK_F2));
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"SHOW_SEC", 1) == 0; }, 5000));
  EXPECT_EQ(app.exitCode(), (DWORD)STILL_ACTIVE) << "the program ended";
  DWORD_PTR result = 0;
  EXPECT_NE(SendMessageTimeoutW(app.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, &result), 0)
      << "the window thread does not answer";
  EXPECT_EQ(app.findDialog(kLoadError), nullptr);
  ASSERT_TRUE(app.close()) << app.lastError();
}

}  // namespace
