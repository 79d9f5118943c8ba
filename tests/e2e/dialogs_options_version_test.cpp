// The options dialog (F12) and the version dialog driven in the real program: what OK and
// キャンセル leave in the settings file and on the window, the guard against a second dialog,
// the taskbar style, Esc and Enter, and the link's colours under a real mouse.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "velmora_harness.h"

using e2e::Capture;
using e2e::VelmoraProcess;

namespace {

bool xdotool(const std::wstring& arguments) {
  std::wstring cmd = L"Z:\\usr\\bin\\xdotool " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  // Wine's handle of a Unix process cannot always be waited on; then allow it the time it needs.
  if (WaitForSingleObject(pi.hProcess, 10000) == WAIT_FAILED) Sleep(400);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

bool moveMouse(int x, int y) { return xdotool(L"mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y)); }

int countOfCaption(const VelmoraProcess& app, const std::wstring& caption) {
  int n = 0;
  for (HWND d : app.dialogs()) n += IsWindowVisible(d) && e2e::windowText(d) == caption;
  return n;
}

bool click(HWND dialog, int id) { return SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0) == 0; }

// A modal dialog exists before its loop shows it; keys and clicks wait until it is shown.
HWND shown(HWND dialog) {
  if (dialog) e2e::waitFor([&] { return IsWindowVisible(dialog) != FALSE; }, 3000);
  return dialog;
}

HWND openOptions(VelmoraProcess& app) {
  app.key(VK_F12);
  return shown(app.waitForDialog(L"オプション"));
}

const wchar_t* const nineKeys[] = {L"UNTOUCHABLE", L"ALWAYS_TRAY", L"IN_TRAY", L"HIDE_TASKBAR", L"EXIT_CHECK",
                                   L"START_SYURYO_CHECK", L"BALLOON", L"WIN_SAVE", L"JIKOKU_LOOP"};

}  // namespace

TEST(OptionsDialogE2E, F12OpensItOnceAndCancelThenOkDecideWhatIsWritten) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nEXIT_CHECK=0\r\nJIKOKU_LOOP=0\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();

  HWND dialog = openOptions(app);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ((HICON)SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0),
            (HICON)GetClassLongPtrW(app.window(), GCLP_HICON));
  // While it is open, a second options or version command is ignored.
  app.command(25);
  app.command(36);
  Sleep(400);
  EXPECT_EQ(countOfCaption(app, L"オプション"), 1);
  EXPECT_EQ(app.findDialog(L"バージョン情報"), nullptr);

  click(dialog, 1015);
  click(dialog, 1019);
  click(dialog, IDCANCEL);
  ASSERT_TRUE(VelmoraProcess::waitForGone(dialog));
  Sleep(200);
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"EXIT_CHECK", -1), 0);
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"JIKOKU_LOOP", -1), 0);

  dialog = openOptions(app);
  ASSERT_NE(dialog, nullptr);
  click(dialog, 1019);
  click(dialog, IDOK);
  ASSERT_TRUE(VelmoraProcess::waitForGone(dialog));
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"JIKOKU_LOOP", -1) == 1; }, 3000));
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"EXIT_CHECK", -1), 0);
  for (const wchar_t* key : nineKeys) EXPECT_TRUE(app.iniHasKey(L"OPTION_SETTING", key));
  EXPECT_TRUE(IsWindowVisible(app.window()));

  // The guard is released: the version dialog opens now.
  app.command(36);
  HWND version = shown(app.waitForDialog(L"バージョン情報"));
  ASSERT_NE(version, nullptr);
  click(version, IDOK);
  ASSERT_TRUE(VelmoraProcess::waitForGone(version));
  ASSERT_TRUE(app.close()) << app.lastError();
}

TEST(OptionsDialogE2E, HidingTheTaskbarButtonTakesATrayOption) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nALWAYS_TRAY=1\r\nIN_TRAY=0\r\nHIDE_TASKBAR=0\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND window = app.window();

  HWND dialog = openOptions(app);
  ASSERT_NE(dialog, nullptr);
  click(dialog, 1014);
  click(dialog, IDOK);
  ASSERT_TRUE(VelmoraProcess::waitForGone(dialog));
  // The button changes by hiding the window, changing its style and showing it again:
  // wait for the end state, not the first sign of the change.
  EXPECT_TRUE(e2e::waitFor([&] {
    return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0 && IsWindowVisible(window);
  }, 3000));

  // Both tray options off: the button comes back although HIDE_TASKBAR stays on.
  dialog = openOptions(app);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, 1014)));
  click(dialog, 1012);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 1014)));
  click(dialog, IDOK);
  ASSERT_TRUE(VelmoraProcess::waitForGone(dialog));
  EXPECT_TRUE(e2e::waitFor([&] {
    return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) == 0 && IsWindowVisible(window);
  }, 3000));
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"ALWAYS_TRAY", -1) == 0; }, 3000));
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"HIDE_TASKBAR", -1), 1);
  ASSERT_TRUE(app.close()) << app.lastError();
}

TEST(VersionDialogE2E, EscapeKeepsItOpenWhileEnterAndTheCloseBoxEndIt) {
  VelmoraProcess app;
  ASSERT_TRUE(app.start()) << app.lastError();
  for (int way = 0; way < 2; ++way) {
    SCOPED_TRACE(way == 0 ? "Enter" : "close box");
    app.command(36);
    HWND dialog = shown(app.waitForDialog(L"バージョン情報"));
    ASSERT_NE(dialog, nullptr);
    HWND ok = GetDlgItem(dialog, IDOK);
    PostMessageW(ok, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(ok, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    Sleep(400);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "Esc closed the dialog";
    if (way == 0) {
      PostMessageW(ok, WM_KEYDOWN, VK_RETURN, 1);
      PostMessageW(ok, WM_KEYUP, VK_RETURN, 0xC0000001);
    } else {
      PostMessageW(dialog, WM_CLOSE, 0, 0);
    }
    EXPECT_TRUE(VelmoraProcess::waitForGone(dialog));
  }
  ASSERT_TRUE(app.close()) << app.lastError();
}

TEST(VersionDialogE2E, LinkIsBlueAndTurnsRedUnderTheRealMouse) {
  VelmoraProcess app;
  ASSERT_TRUE(app.start()) << app.lastError();
  moveMouse(5, 5);
  app.command(36);
  HWND dialog = shown(app.waitForDialog(L"バージョン情報"));
  ASSERT_NE(dialog, nullptr);
  HWND link = GetDlgItem(dialog, 1000);
  RECT r;
  GetWindowRect(link, &r);
  // Off the link but over the dialog: in Wine's virtual desktop the moves over the desktop
  // itself reach the desktop's process, not the window holding the capture.
  const POINT away{(r.left + r.right) / 2, r.top - 60};
  const uint32_t blue = Capture::rgb(0, 0, 255), red = Capture::rgb(255, 0, 0);
  Capture shot;
  EXPECT_TRUE(e2e::waitFor([&] { shot = e2e::captureClient(dialog); return shot.countNear(blue, 40) > 20; }, 3000));
  EXPECT_EQ(shot.countNear(red, 40), 0u);

  moveMouse((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  EXPECT_TRUE(e2e::waitFor([&] { shot = e2e::captureClient(dialog); return shot.countNear(red, 40) > 20; }, 3000));
  EXPECT_EQ(shot.countNear(blue, 40), 0u);

  moveMouse(away.x, away.y);
  EXPECT_TRUE(e2e::waitFor([&] { shot = e2e::captureClient(dialog); return shot.countNear(blue, 40) > 20; }, 3000));
  EXPECT_EQ(shot.countNear(red, 40), 0u);
  click(dialog, IDOK);
  EXPECT_TRUE(VelmoraProcess::waitForGone(dialog));
  ASSERT_TRUE(app.close()) << app.lastError();
}
