// A user's desktop rather than Wine's: a shell that goes away and comes back, a program
// folder nobody may write to (run by scripts/locked-folder-test.sh, which locks the folder).
#include <gtest/gtest.h>

#include <memory>

#include "look_support.h"
#include "velmora_harness.h"

using e2e::VelmoraProcess;
using namespace look;

namespace {

HWND parentOf(HWND w) { return GetAncestor(w, GA_PARENT); }

POINT topLeft(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return {r.left, r.top};
}

// With VELMORA_SHOTS set (a Windows folder), the screen as a BMP there, for looking at.
void shot(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  if (!GetEnvironmentVariableW(L"VELMORA_SHOTS", folder, MAX_PATH)) return;
  e2e::captureClient(GetDesktopWindow()).saveBmp(std::wstring(folder) + L"\\" + name + L".bmp");
}

TEST(ShellRestart, TheCountDownOutlivesTheShellAndTheWindowEmbedsInTheNextOne) {
  // The virtual screen starts left of and above the primary monitor: so does the host.
  const RECT screen{-200, -100, 1024, 768};
  auto shell = std::make_unique<DesktopHost>(L"Progman", screen);
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nALWAYS_TRAY=0\r\nALARM_PLAY=0\r\nWIN_SAVE=1\r\n"
                                L"[WINDOW]\r\nLEFT=300\r\nTOP=200\r\nWIDTH=320\r\nHEIGHT=200\r\n"));
  ASSERT_TRUE(app.start(L"12")) << app.lastError();
  HWND w = app.window();
  ASSERT_TRUE(VelmoraProcess::pressButton(app.waitForMessageBox(L"カウントダウンスタート"), IDOK));
  ASSERT_TRUE(app.key(VK_F11));
  ASSERT_TRUE(e2e::waitFor([&] { return parentOf(w) == shell->hwnd(); }, 5000));
  EXPECT_TRUE(e2e::waitFor([&] { return topLeft(w).x == 300 && topLeft(w).y == 200; }, 3000)) << "where it was saved";
  shot(L"shell-before");

  shell.reset();  // the shell ends, and its windows with it
  HWND again = nullptr;
  ASSERT_TRUE(e2e::waitFor([&] { return (again = app.findMainWindow()) != nullptr && again != w; }, 5000));
  EXPECT_TRUE(e2e::waitFor([&] { return IsWindowVisible(again) && topLeft(again).x == 300; }, 3000))
      << "a visible window where the old one was";
  shot(L"shell-gone");

  shell = std::make_unique<DesktopHost>(L"Progman", screen);
  PostMessageW(again, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  ASSERT_TRUE(e2e::waitFor([&] { return parentOf(again) == shell->hwnd(); }, 5000));
  EXPECT_TRUE(e2e::waitFor([&] { return topLeft(again).x == 300 && topLeft(again).y == 200; }, 3000));
  EXPECT_EQ(e2e::windowText(again), L"間隔指定タイマー作動中 - Velmora");
  shot(L"shell-back");

  ASSERT_TRUE(VelmoraProcess::pressButton(app.waitForMessageBox(L"時間になりました", 20000), IDOK)) << "the count-down ended";
  PostMessageW(again, WM_CLOSE, 0, 0);
  EXPECT_TRUE(app.waitForExit(10000));
  EXPECT_EQ(app.exitCode(), 0u);
}

// Environment of scripts/locked-folder-test.sh: the locked folder holding the program, a
// settings file and a program timer file, and a folder to stand for %LOCALAPPDATA%.
std::wstring env(const wchar_t* name) {
  wchar_t value[MAX_PATH] = L"";
  GetEnvironmentVariableW(name, value, MAX_PATH);
  return value;
}

bool readOnly(const std::wstring& path) { return GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY; }

// The folder writable again, as a start as administrator or with a write-protect switch turned
// off finds it.
bool unlockFolder() {
  std::wstring command = L"start.exe /wait /unix /usr/bin/chattr -i \"" + env(L"VELMORA_LOCKED_UNIX_FOLDER") + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  WaitForSingleObject(pi.hProcess, 10000);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code == 0;
}

TEST(LockedProgramFolder, SettingsAndProgramTimersMoveToThePerUserFolderAndSurviveARestart) {
  const std::wstring locked = env(L"VELMORA_LOCKED_FOLDER"), appData = env(L"VELMORA_LOCKED_APPDATA");
  if (locked.empty()) GTEST_SKIP() << "run by scripts/locked-folder-test.sh";
  HANDLE probe = CreateFileW((locked + L"\\probe.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_EQ(probe, INVALID_HANDLE_VALUE) << "the folder is not locked";
  const std::wstring perUser = appData + L"\\Velmora\\";
  const std::wstring ini = perUser + VelmoraProcess::settingsFileName();
  const std::wstring moved = L"プログラムのフォルダーに書き込めないため、設定とプログラムタイマーは次のフォルダーに保存します。\n";

  SetEnvironmentVariableW(L"LOCALAPPDATA", appData.c_str());
  VelmoraProcess app(VelmoraProcess::Existing::Folder, locked);
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND notice = app.waitForMessageBox(moved + perUser);
  ASSERT_NE(notice, nullptr) << "told where the settings went";
  shot(L"locked-folder-notice");
  VelmoraProcess::pressButton(notice, IDOK);
  EXPECT_EQ(GetPrivateProfileIntW(L"TIMER_SETTING", L"MIN", -1, ini.c_str()), 5u) << "started from the old file";
  const std::wstring timer = perUser + e2e::currentUserName() + L"_program_timer_0.txt";
  EXPECT_NE(GetFileAttributesW(timer.c_str()), INVALID_FILE_ATTRIBUTES) << "program timer copied";
  EXPECT_TRUE(readOnly(locked + L"\\" + VelmoraProcess::settingsFileName()));
  EXPECT_FALSE(readOnly(ini)) << "the copies of read-only files can be written";
  EXPECT_FALSE(readOnly(timer));

  ASSERT_TRUE(app.command(3));  // repeat on: one key written
  EXPECT_TRUE(e2e::waitFor([&] { return GetPrivateProfileIntW(L"OPTION_SETTING", L"TIMER_LOOP", 0, ini.c_str()) == 1; },
                           5000));
  ASSERT_TRUE(app.close()) << app.lastError();

  ASSERT_TRUE(app.restart()) << app.lastError();
  EXPECT_EQ(app.waitForMessageBox(moved + perUser, 1500), nullptr) << "told once only";
  ASSERT_TRUE(app.command(10));  // slot 0 down to slot 1: slot 0 left empty
  EXPECT_TRUE(e2e::waitFor([&] { return GetPrivateProfileIntW(L"PROGRAM_TIMER", L"NO", -1, ini.c_str()) == 1; }, 5000));
  ASSERT_TRUE(app.close()) << app.lastError();
  EXPECT_EQ(GetPrivateProfileIntW(L"OPTION_SETTING", L"TIMER_LOOP", 0, ini.c_str()), 1u);
  ASSERT_TRUE(app.restart()) << app.lastError();
  ASSERT_TRUE(app.close()) << app.lastError();
  EXPECT_EQ(GetFileAttributesW(timer.c_str()), INVALID_FILE_ATTRIBUTES) << "the emptied slot stays empty";

  // Neither folder writable: the per-user folder would be inside the locked one.
  SetEnvironmentVariableW(L"LOCALAPPDATA", locked.c_str());
  ASSERT_TRUE(app.restart()) << app.lastError();
  EXPECT_TRUE(VelmoraProcess::pressButton(
      app.waitForMessageBox(L"プログラムのフォルダーにも次のフォルダーにも書き込めないため、設定とプログラムタイマーの変更は保存できません。\n" +
                            locked + L"\\Velmora\\"),
      IDOK));
  ASSERT_TRUE(app.close()) << app.lastError();

  // Once made, the per-user settings file wins, also at a start that can write beside the program.
  SetEnvironmentVariableW(L"LOCALAPPDATA", appData.c_str());
  ASSERT_TRUE(unlockFolder());
  ASSERT_TRUE(app.restart()) << app.lastError();
  ASSERT_TRUE(app.command(3));  // repeat off again
  EXPECT_TRUE(e2e::waitFor([&] { return GetPrivateProfileIntW(L"OPTION_SETTING", L"TIMER_LOOP", 1, ini.c_str()) == 0; },
                           5000));
  ASSERT_TRUE(app.close()) << app.lastError();
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"TIMER_LOOP", -1), -1) << "nothing written beside the program";
}

// A full disk (scripts/locked-folder-test.sh full): the settings file of exactly one block
// would be cut short by a rewrite that needs a second one.
TEST(FullDisk, SettingsWritesAreRefusedAndTold) {
  const std::wstring folder = env(L"VELMORA_LOCKED_FOLDER");
  if (folder.empty()) GTEST_SKIP() << "run by scripts/locked-folder-test.sh full";
  VelmoraProcess app(VelmoraProcess::Existing::Folder, folder);
  const std::string before = app.readBytes(VelmoraProcess::settingsFileName());
  ASSERT_EQ(before.size(), 4096u);
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.command(3));  // repeat on: refused
  EXPECT_TRUE(VelmoraProcess::pressButton(
      app.waitForMessageBox(L"ディスクの空き容量が足りないため、設定ファイルに書き込めませんでした"), IDOK));
  ASSERT_TRUE(app.close()) << app.lastError();
  EXPECT_TRUE(app.readBytes(VelmoraProcess::settingsFileName()) == before) << "the file is as it was";
  EXPECT_EQ(GetPrivateProfileIntW(L"TIMER_SETTING", L"MIN", 0, app.settingsPath().c_str()), 5u);
}

// A Japanese user's folder: Japanese words, a space, and a character outside the BMP.
TEST(JapaneseFolder, SettingsProgramTimersAndACountDownWorkFromIt) {
  VelmoraProcess app(L"-タイマー 設定\U00020BB7");
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nALWAYS_TRAY=0\r\nSTART_SYURYO_CHECK=0\r\n"));
  ASSERT_TRUE(app.writeUtf16File(e2e::currentUserName() + L"_program_timer_0.txt", L"1000\t\t0\t手順𠮷\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.command(3));  // repeat on
  ASSERT_TRUE(e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"TIMER_LOOP", 0) == 1; }, 5000));
  ASSERT_TRUE(app.command(10));  // slot 0 down to slot 1: its file renamed, the names saved
  ASSERT_TRUE(e2e::waitFor([&] { return app.iniInt(L"PROGRAM_TIMER", L"NO", -1) == 1; }, 5000));
  EXPECT_TRUE(app.fileExists(e2e::currentUserName() + L"_program_timer_1.txt"));
  ASSERT_TRUE(app.close()) << app.lastError();

  ASSERT_TRUE(app.restart()) << app.lastError();
  ASSERT_TRUE(app.command(3));  // read as on, so now off
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"TIMER_LOOP", 1) == 0; }, 5000));
  ASSERT_TRUE(app.key(VK_F8));  // slot 1, loaded from the moved file, counts down its step
  HWND step = app.waitForMessageBox(L"手順𠮷", 5000);
  ASSERT_NE(step, nullptr) << "the step's count-down ended with its message";
  shot(L"time-up-flash");
  VelmoraProcess::pressButton(step, IDOK);
  ASSERT_TRUE(app.close()) << app.lastError();
}

TEST(WindowPlace, ADragWritesThePlaceOnceWhenItEnds) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nALWAYS_TRAY=0\r\nWIN_SAVE=1\r\n"
                                L"[WINDOW]\r\nLEFT=100\r\nTOP=100\r\nWIDTH=300\r\nHEIGHT=200\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND w = app.window();
  SendMessageW(w, WM_ENTERSIZEMOVE, 0, 0);
  for (int x = 110; x <= 150; x += 10) SetWindowPos(w, nullptr, x, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(w, nullptr, 0, 0, 320, 210, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(app.iniInt(L"WINDOW", L"LEFT"), 100) << "nothing written during the drag";
  EXPECT_EQ(app.iniInt(L"WINDOW", L"WIDTH"), 300);
  SendMessageW(w, WM_EXITSIZEMOVE, 0, 0);
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"WINDOW", L"LEFT") == 150 && app.iniInt(L"WINDOW", L"TOP") == 120; }, 3000));
  EXPECT_EQ(app.iniInt(L"WINDOW", L"WIDTH"), 320);
  SetWindowPos(w, nullptr, 200, 130, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"WINDOW", L"LEFT") == 200; }, 3000)) << "a move outside a drag";
  ASSERT_TRUE(app.close()) << app.lastError();
}

}  // namespace
