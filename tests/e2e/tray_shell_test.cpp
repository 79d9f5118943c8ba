// The tray icon in Wine's real notification area: added and removed, its tip read back
// from the shell's tooltip, minimising into the tray and coming back with real clicks on
// the icon, the re-add on "TaskbarCreated" and the callback messages as the shell posts them.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "velmora_harness.h"

using e2e::VelmoraProcess;

namespace {

// The icon exists in the shell: a change request without any change succeeds only then.
bool trayIconPresent(HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = 1;
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

struct TrayTip {
  std::wstring text;
  RECT screenRect;  // the icon's place on the screen
};

// Every tool of the shell's tooltips: one per tray icon, with the tip and the icon's rectangle.
// The tooltip lives in the shell's process, so the request and the answer travel through
// memory allocated there.
std::vector<TrayTip> trayTips() {
  std::vector<TrayTip> tips;
  HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (!tray) return tips;
  DWORD pid = 0;
  GetWindowThreadProcessId(tray, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return tips;
  char* remote = (char*)VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
  HWND tooltip = nullptr;
  while ((tooltip = FindWindowExW(nullptr, tooltip, L"tooltips_class32", nullptr))) {
    DWORD owner = 0;
    GetWindowThreadProcessId(tooltip, &owner);
    if (owner != pid) continue;
    int count = (int)SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
      TOOLINFOW info{};
      info.cbSize = sizeof info;
      info.lpszText = (LPWSTR)(remote + 1024);
      SIZE_T done = 0;
      wchar_t text[512] = L"";
      WriteProcessMemory(process, remote, &info, sizeof info, &done);
      WriteProcessMemory(process, remote + 1024, text, 2, &done);
      SendMessageW(tooltip, TTM_ENUMTOOLSW, i, (LPARAM)remote);
      ReadProcessMemory(process, remote, &info, sizeof info, &done);
      ReadProcessMemory(process, info.lpszText, text, sizeof text - 2, &done);
      TrayTip tip{text, info.rect};
      MapWindowPoints(info.hwnd, nullptr, (POINT*)&tip.screenRect, 2);
      tips.push_back(tip);
    }
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return tips;
}

int tipCount(const std::wstring& text) {
  int n = 0;
  for (const TrayTip& t : trayTips()) n += t.text == text;
  return n;
}

bool hasTip(const std::wstring& text) { return tipCount(text) > 0; }

std::string tipList() {
  std::string out;
  for (const TrayTip& t : trayTips()) {
    int n = WideCharToMultiByte(CP_UTF8, 0, t.text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, t.text.c_str(), -1, s.data(), n, nullptr, nullptr);
    s.resize(n > 0 ? n - 1 : 0);
    out += "[" + s + "] ";
  }
  return out;
}

// Real X pointer clicks (Wine's virtual desktop coordinates are the X root coordinates).
bool xClick(POINT at, int clicks) {
  std::wstring cmd = L"Z:\\usr\\bin\\xdotool mousemove " + std::to_wstring(at.x) + L" " + std::to_wstring(at.y) +
                     L" click --repeat " + std::to_wstring(clicks) + L" --delay 60 1";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    ADD_FAILURE() << "xdotool did not start: " << GetLastError();
    return false;
  }
  // Wine's handle of a Unix process cannot always be waited on; then allow it the time it needs.
  DWORD waited = WaitForSingleObject(pi.hProcess, 10000);
  if (waited == WAIT_FAILED) Sleep(300 + 150 * clicks);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_NE(waited, WAIT_TIMEOUT) << "xdotool did not end";
  return waited != WAIT_TIMEOUT;
}

// The centre of the icon whose tip is Velmora's title.
bool iconPoint(const std::wstring& tip, POINT* at) {
  for (const TrayTip& t : trayTips()) {
    if (t.text != tip) continue;
    at->x = (t.screenRect.left + t.screenRect.right) / 2;
    at->y = (t.screenRect.top + t.screenRect.bottom) / 2;
    return true;
  }
  return false;
}

bool hiddenInTray(HWND window) { return !IsWindowVisible(window) && trayIconPresent(window); }
bool backFromTray(HWND window) { return IsWindowVisible(window) && !IsIconic(window) && !trayIconPresent(window); }

const wchar_t* const inTrayOnly = L"[OPTION_SETTING]\r\nALWAYS_TRAY=0\r\nIN_TRAY=1\r\n";

}  // namespace

TEST(TrayShell, PermanentIconIsThereFromStartWithTheTitleAsTip) {
  VelmoraProcess app;
  ASSERT_TRUE(app.start()) << app.lastError();  // ALWAYS_TRAY is on by default
  HWND window = app.window();
  ASSERT_TRUE(e2e::waitFor([&] { return trayIconPresent(window); }, 5000));
  EXPECT_TRUE(e2e::waitFor([&] { return hasTip(L"Velmora"); }, 3000)) << tipList();
  // (After the exit Wine forgets the icon of a destroyed window by itself, so the removal at
  // exit cannot be told apart here; the removals of a living window are tested below.)
  ASSERT_TRUE(app.close()) << app.lastError();
}

TEST(TrayShell, TaskbarCreatedBringsNoIconWhereNoneWasShown) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nALWAYS_TRAY=0\r\nIN_TRAY=0\r\nSHOW_SEC=1\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND window = app.window();
  // Wine never broadcasts it; the shell would send it to every top-level window after a restart.
  ASSERT_TRUE(app.post(RegisterWindowMessageW(L"TaskbarCreated")));
  // Posted messages are handled in order: once F2 has been written, the message was seen.
  ASSERT_TRUE(app.key(VK_F2));
  ASSERT_TRUE(e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"SHOW_SEC", 1) == 0; }, 5000));
  EXPECT_FALSE(trayIconPresent(window)) << "a stray icon whose tip never follows the title";
  EXPECT_TRUE(IsWindowVisible(window));
  ASSERT_TRUE(app.close()) << app.lastError();
}

TEST(TrayShell, MinimiseHidesIntoTheTrayAndRealClicksOnTheIconBringTheWindowBack) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(inTrayOnly));
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND window = app.window();
  EXPECT_FALSE(trayIconPresent(window));

  // Double click on the icon.
  ASSERT_TRUE(app.post(WM_SYSCOMMAND, SC_MINIMIZE));
  ASSERT_TRUE(e2e::waitFor([&] { return hiddenInTray(window); }, 3000));
  EXPECT_FALSE(IsIconic(window)) << "hidden, not minimised";
  POINT at{};
  ASSERT_TRUE(e2e::waitFor([&] { return iconPoint(L"Velmora", &at); }, 3000)) << tipList();
  ASSERT_TRUE(xClick(at, 2));
  EXPECT_TRUE(e2e::waitFor([&] { return backFromTray(window); }, 3000));
  // The pending single click of the pair must not hide the window again.
  Sleep(GetDoubleClickTime() + 300);
  EXPECT_TRUE(IsWindowVisible(window));

  // Single click: acts after the double-click time.
  ASSERT_TRUE(app.post(WM_SYSCOMMAND, SC_MINIMIZE));
  ASSERT_TRUE(e2e::waitFor([&] { return hiddenInTray(window); }, 3000));
  ASSERT_TRUE(e2e::waitFor([&] { return iconPoint(L"Velmora", &at); }, 3000)) << tipList();
  ASSERT_TRUE(xClick(at, 1));
  EXPECT_TRUE(e2e::waitFor([&] { return backFromTray(window); }, 3000));
  ASSERT_TRUE(app.close()) << app.lastError();
}

TEST(TrayShell, SingleClickWithThePermanentIconMinimisesAndRestores) {
  VelmoraProcess app;
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND window = app.window();
  ASSERT_TRUE(e2e::waitFor([&] { return trayIconPresent(window); }, 5000));
  // As the shell posts them: button up, then nothing more for longer than the double-click time.
  ASSERT_TRUE(app.post(WM_APP, 1, WM_LBUTTONUP));
  EXPECT_TRUE(e2e::waitFor([&] { return IsIconic(window) != FALSE; }, 3000));
  Sleep(GetDoubleClickTime() + 50);
  ASSERT_TRUE(app.post(WM_APP, 1, WM_LBUTTONUP));
  EXPECT_TRUE(e2e::waitFor([&] { return !IsIconic(window) && IsWindowVisible(window); }, 3000));
  EXPECT_TRUE(trayIconPresent(window));
  // Another icon id is not ours.
  Sleep(GetDoubleClickTime() + 50);
  ASSERT_TRUE(app.post(WM_APP, 2, WM_LBUTTONUP));
  Sleep(GetDoubleClickTime() + 300);
  EXPECT_FALSE(IsIconic(window));
  ASSERT_TRUE(app.close()) << app.lastError();
}

TEST(TrayShell, MiddleDoubleClickOnTheIconTogglesTheSecondsOnly) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nSHOW_SEC=1\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  // The shell sends up, double click, up for a double click.
  app.post(WM_APP, 1, WM_MBUTTONUP);
  app.post(WM_APP, 1, WM_MBUTTONDBLCLK);
  app.post(WM_APP, 1, WM_MBUTTONUP);
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"SHOW_SEC", -1) == 0; }, 3000));
  Sleep(GetDoubleClickTime() + 400);
  EXPECT_EQ(app.title(), L"Velmora") << "no timer started";
  EXPECT_EQ(app.findMessageBox(L"カウントダウンスタート"), nullptr);
  ASSERT_TRUE(app.close()) << app.lastError();
}

TEST(TrayShell, TipFollowsTheRunningTitleAlsoWhileHidden) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nALWAYS_TRAY=0\r\nIN_TRAY=1\r\nSTART_SYURYO_CHECK=0\r\n"
                                L"[TIMER_SETTING]\r\nHOUR=0\r\nMIN=5\r\nSEC=0\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND window = app.window();
  ASSERT_TRUE(app.post(WM_SYSCOMMAND, SC_MINIMIZE));
  ASSERT_TRUE(e2e::waitFor([&] { return hiddenInTray(window); }, 3000));
  ASSERT_TRUE(app.command(1));  // start the interval timer
  EXPECT_TRUE(app.waitForTitle(L"間隔指定タイマー作動中 - Velmora"));
  EXPECT_TRUE(e2e::waitFor([&] { return hasTip(L"間隔指定タイマー作動中 - Velmora"); }, 3000)) << tipList();
  ASSERT_TRUE(app.close()) << app.lastError();
}

TEST(TrayShell, RightClickOnTheIconOpensTheMenuInFrontAndEscapeClosesIt) {
  VelmoraProcess app;
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.post(WM_APP, 1, WM_RBUTTONUP));
  std::vector<HWND> menus;
  EXPECT_TRUE(e2e::waitFor([&] { return !(menus = app.windows(L"#32768")).empty() && IsWindowVisible(menus[0]); },
                           3000));
  EXPECT_EQ(GetForegroundWindow(), app.window());
  // The menu belongs to the foreground window, so a key or a click elsewhere ends it.
  app.post(WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(e2e::waitFor(
      [&] {
        for (HWND m : app.windows(L"#32768"))
          if (IsWindowVisible(m)) return false;
        return true;
      },
      3000));
  ASSERT_TRUE(app.close()) << app.lastError();
}
