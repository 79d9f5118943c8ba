// The tray icon's requests to the shell, its reactions to clicks and minimising, the
// options applied after OK and the click-through modes, against a model of the shell.
#include "tray_test_support.h"

#include <mmsystem.h>

#include "common/click_timing.h"
#include "app/context_menu.h"
#include "display/transparency.h"
#include "shell/alarm.h"
#include "shell/looks.h"

using traytest::FakeShell;
using traytest::MessageBoxWatcher;
using traytest::TrayFixture;

namespace {

std::string narrow(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), s.data(), n, nullptr, nullptr);
  return s;
}

enum class Shown { Normal, Minimised, Hidden };

void putInto(HWND window, Shown state) {
  ShowWindow(window, SW_SHOWNORMAL);
  if (state == Shown::Minimised) ShowWindow(window, SW_MINIMIZE);
  if (state == Shown::Hidden) ShowWindow(window, SW_HIDE);
}

Shown stateOf(HWND window) {
  if (!IsWindowVisible(window)) return Shown::Hidden;
  return IsIconic(window) ? Shown::Minimised : Shown::Normal;
}

const char* name(Shown s) { return s == Shown::Normal ? "normal" : s == Shown::Minimised ? "minimised" : "hidden"; }

// The record's sizes as the shell documents them, by word size: the version-2 part and the whole.
constexpr UINT kVersion2Size = sizeof(void*) == 8 ? 952 : 936;
constexpr UINT kWholeSize = sizeof(void*) == 8 ? 976 : 956;

}  // namespace

using TrayIcon = TrayFixture;

TEST_F(TrayIcon, AddSendsTheTitleClassIconAndCallbackAndDeleteUsesTheSameRecord) {
  std::wstring longTitle(200, L'題');
  SetWindowTextW(window, longTitle.c_str());
  ASSERT_TRUE(addTrayIcon(window));
  ASSERT_EQ(shell.calls.size(), 1u);
  const NOTIFYICONDATAW& added = shell.calls[0].data;
  EXPECT_EQ(shell.calls[0].message, (DWORD)NIM_ADD);
  EXPECT_EQ(added.cbSize, kVersion2Size);
  EXPECT_EQ(added.hWnd, window);
  EXPECT_EQ(added.uID, 1u);
  EXPECT_EQ(added.uFlags, 7u);
  EXPECT_EQ(added.uCallbackMessage, 0x8000u);
  EXPECT_EQ(added.hIcon, (HICON)GetClassLongPtrW(window, GCLP_HICONSM));
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(added.hIcon, &info));
  BITMAP mask{};
  GetObjectW(info.hbmMask, sizeof mask, &mask);
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  EXPECT_EQ(mask.bmWidth, GetSystemMetrics(SM_CXSMICON)) << "the tray shows the small icon";
  EXPECT_EQ(std::wstring(added.szTip), longTitle.substr(0, 127));
  EXPECT_TRUE(addTrayIcon(window)) << "an icon already there counts as added";
  EXPECT_TRUE(removeTrayIcon());
  EXPECT_FALSE(shell.has(window));
}

TEST_F(TrayIcon, TipIconAndBalloonChangesUseTheFullRecordWithOnlyTheirFlags) {
  addTrayIcon(window);
  shell.calls.clear();
  HICON icon = (HICON)GetClassLongPtrW(window, GCLP_HICONSM);
  modifyTrayIcon(window, icon, L"間隔指定タイマー作動中 - Velmora");
  modifyTrayIcon(window, nullptr, L"Velmora");
  std::wstring longText(300, L't'), longTitle(100, L'T');
  showBalloon(window, longText.c_str(), longTitle.c_str());
  ASSERT_EQ(shell.calls.size(), 3u);
  for (const auto& c : shell.calls) {
    EXPECT_EQ(c.message, (DWORD)NIM_MODIFY);
    EXPECT_EQ(c.data.cbSize, kWholeSize);
    EXPECT_EQ(c.data.hWnd, window);
    EXPECT_EQ(c.data.uID, 1u);
  }
  EXPECT_EQ(shell.calls[0].data.uFlags, 6u);
  EXPECT_EQ(shell.calls[0].data.hIcon, icon);
  EXPECT_EQ(std::wstring(shell.calls[0].data.szTip), L"間隔指定タイマー作動中 - Velmora");
  EXPECT_EQ(shell.calls[1].data.uFlags, 4u);
  const NOTIFYICONDATAW& balloon = shell.calls[2].data;
  EXPECT_EQ(balloon.uFlags, 16u);
  EXPECT_EQ(std::wstring(balloon.szInfo), longText.substr(0, 255));
  EXPECT_EQ(std::wstring(balloon.szInfoTitle), longTitle.substr(0, 63));
  EXPECT_EQ(balloon.dwInfoFlags, DWORD(NIIF_USER | NIIF_NOSOUND | NIIF_LARGE_ICON)) << "silent, the program's icon";
  EXPECT_EQ(balloon.hBalloonIcon, (HICON)GetClassLongPtrW(window, GCLP_HICON));
  EXPECT_EQ(balloon.uTimeout, 0u);
}

TEST_F(TrayIcon, IconCountsAsShownAndBalloonsArePreferredByTheRule) {
  addTrayIcon(window);
  struct Case {
    int alwaysTray, zOrder, balloon;
    Shown state;
    bool shown;
  } cases[] = {
      {1, 0, 1, Shown::Normal, true},     {0, 0, 1, Shown::Normal, false},
      {0, 0, 1, Shown::Hidden, true},     {0, 0, 1, Shown::Minimised, false},
      {0, 2, 1, Shown::Minimised, true},  {0, 2, 1, Shown::Normal, false},
      {1, 0, 0, Shown::Normal, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "always " << c.alwaysTray << " z " << c.zOrder << " " << name(c.state));
    ALWAYS_TRAY = c.alwaysTray;
    Z_ORDER = c.zOrder;
    BALLOON = c.balloon;
    putInto(window, c.state);
    EXPECT_EQ(trayIconShown(window), c.shown);
    EXPECT_EQ(balloonPreferred(window), c.shown && c.balloon);
  }
}

// Started before the shell's tray: the add is tried again until it works, and meanwhile
// notices go to boxes rather than to balloons of an icon that is not there.
TEST_F(TrayIcon, AFailedAddIsRetriedUntilTheTrayIsReady) {
  ALWAYS_TRAY = 1;
  BALLOON = 1;
  shell.working = false;
  EXPECT_FALSE(addTrayIcon(window));
  EXPECT_FALSE(balloonPreferred(window));
  shell.working = true;
  for (DWORD start = GetTickCount(); !shell.has(window) && GetTickCount() - start < 6000; Sleep(20)) pump();
  EXPECT_TRUE(shell.has(window)) << "added within two retries";
  EXPECT_TRUE(balloonPreferred(window));
  const int adds = shell.count(NIM_ADD);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 2500) pump();
  EXPECT_EQ(shell.count(NIM_ADD), adds) << "no adds once the icon is there";
}

TEST_F(TrayIcon, LooksRepeatTheTitleAsTipOnlyWhileTheIconIsShown) {
  ALWAYS_TRAY = 0;
  setTitleAndTip(window, L"あと5秒で自動終了 - Velmora");
  EXPECT_EQ(shell.count(NIM_MODIFY), 0);
  ShowWindow(window, SW_HIDE);
  addTrayIcon(window);
  setTitleAndTip(window, L"Velmora");
  ASSERT_EQ(shell.count(NIM_MODIFY), 1);
  EXPECT_EQ(std::wstring(shell.calls.back().data.szTip), L"Velmora");
}

TEST_F(TrayIcon, SingleClickTogglesTheWindowByTheTrayOptions) {
  struct Case {
    int zOrder, inTray, alwaysTray;
    Shown before;
    bool iconBefore, shellWorks;
    Shown after;
    bool iconAfter;
  } cases[] = {
      // In the tray: a click hides a shown window, brings back a hidden one and drops the icon.
      {0, 1, 0, Shown::Normal, true, true, Shown::Hidden, true},
      {0, 1, 0, Shown::Hidden, true, true, Shown::Normal, false},
      {0, 1, 1, Shown::Hidden, true, true, Shown::Normal, true},
      // The icon cannot be removed: the window stays in the tray.
      {0, 1, 0, Shown::Hidden, true, false, Shown::Hidden, true},
      // Only the permanent icon: restore a minimised window, minimise a normal one.
      {0, 0, 1, Shown::Minimised, true, true, Shown::Normal, true},
      {0, 0, 1, Shown::Normal, true, true, Shown::Minimised, true},
      // Embedded in the desktop: a minimised window comes back and its icon goes.
      {2, 0, 0, Shown::Minimised, true, true, Shown::Normal, false},
      {2, 0, 1, Shown::Minimised, true, true, Shown::Normal, true},
      {2, 0, 0, Shown::Minimised, true, false, Shown::Minimised, true},
      {2, 1, 0, Shown::Normal, true, true, Shown::Minimised, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "z " << c.zOrder << " in " << c.inTray << " always " << c.alwaysTray
                                    << " " << name(c.before) << " shell " << c.shellWorks);
    Z_ORDER = c.zOrder;
    IN_TRAY = c.inTray;
    ALWAYS_TRAY = c.alwaysTray;
    putInto(window, c.before);
    shell.working = true;
    shell.icons.clear();
    if (c.iconBefore) addTrayIcon(window);
    shell.working = c.shellWorks;
    ClickTimingRecord record;
    record.window = window;
    trayToggleWindow(&record);
    pump();
    EXPECT_EQ(name(stateOf(window)), std::string(name(c.after)));
    EXPECT_EQ(shell.has(window), c.iconAfter);
  }
}

TEST_F(TrayIcon, MinimiseGoesToTheTrayOnlyWhenTheIconIsThere) {
  struct Case {
    int zOrder, inTray, alwaysTray;
    bool shellWorks;
    bool handled;  // true: hidden here instead of minimised
    bool iconAfter;
  } cases[] = {
      {0, 1, 0, true, true, true},   {0, 1, 1, true, true, true},
      {0, 1, 0, false, false, false},  // no icon: a normal minimise
      {0, 0, 0, true, false, false}, {0, 0, 1, true, false, true},
      {2, 0, 0, true, false, true},  // embedded: icon added and still minimised
      {2, 1, 0, true, false, true},
      {2, 1, 1, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "z " << c.zOrder << " in " << c.inTray << " always " << c.alwaysTray
                                    << " shell " << c.shellWorks);
    Z_ORDER = c.zOrder;
    IN_TRAY = c.inTray;
    ALWAYS_TRAY = c.alwaysTray;
    putInto(window, Shown::Normal);
    shell.working = true;
    shell.icons.clear();
    if (c.alwaysTray) addTrayIcon(window);
    shell.working = c.shellWorks;
    EXPECT_EQ(onMinimiseRequest(window), c.handled);
    EXPECT_EQ(IsWindowVisible(window) == FALSE, c.handled);
    EXPECT_EQ(shell.has(window), c.iconAfter);
  }
}

TEST_F(TrayIcon, DoubleClickBringsTheWindowBackAndKeepsOnlyAPermanentIcon) {
  for (int alwaysTray : {0, 1}) {
    for (Shown before : {Shown::Hidden, Shown::Minimised}) {
      SCOPED_TRACE(testing::Message() << "always " << alwaysTray << " " << name(before));
      ALWAYS_TRAY = alwaysTray;
      putInto(window, before);
      shell.icons.clear();
      addTrayIcon(window);
      trayLeftDoubleClick(window);
      pump();
      EXPECT_EQ(stateOf(window), Shown::Normal);
      EXPECT_EQ(shell.has(window), alwaysTray == 1);
    }
  }
}

TEST_F(TrayIcon, OptionsOkWritesTheNineKeysInOrder) {
  UNTOUCHABLE = 2;
  ALWAYS_TRAY = 1;
  IN_TRAY = 1;
  HIDE_TASKBAR = 1;
  EXIT_CHECK = 0;
  START_SYURYO_CHECK = 1;
  BALLOON = 1;
  WIN_SAVE = 0;
  JIKOKU_LOOP = 1;
  applyTrayOptions(window);
  EXPECT_EQ(narrow(fileText()),
            narrow(L"[OPTION_SETTING]\r\nUNTOUCHABLE=2\r\nALWAYS_TRAY=1\r\nIN_TRAY=1\r\nHIDE_TASKBAR=1\r\n"
                   L"EXIT_CHECK=0\r\nSTART_SYURYO_CHECK=1\r\nBALLOON=1\r\nWIN_SAVE=0\r\nJIKOKU_LOOP=1\r\n"));
  EXPECT_TRUE(shell.has(window));
}

TEST_F(TrayIcon, OptionsOkGivesNoTaskbarButtonExactlyWhenATrayOptionIsOn) {
  struct Case {
    int inTray, alwaysTray, hideTaskbar;
    bool toolWindow;
  } cases[] = {
      {0, 0, 1, false}, {1, 0, 1, true}, {0, 1, 1, true}, {1, 1, 1, true}, {1, 1, 0, false}, {0, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "in " << c.inTray << " always " << c.alwaysTray << " hide " << c.hideTaskbar);
    IN_TRAY = c.inTray;
    ALWAYS_TRAY = c.alwaysTray;
    HIDE_TASKBAR = c.hideTaskbar;
    putInto(window, Shown::Hidden);  // even from the tray the window comes back
    applyTrayOptions(window);
    pump();
    EXPECT_EQ((GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0, c.toolWindow);
    EXPECT_EQ(stateOf(window), Shown::Normal);
    EXPECT_EQ(shell.has(window), c.alwaysTray == 1);
  }
}

TEST_F(TrayIcon, OptionsOkWithoutAShellTurnsTheTrayOptionsOffAndSaysSo) {
  ALWAYS_TRAY = 1;
  IN_TRAY = 1;
  UNTOUCHABLE = 1;
  HIDE_TASKBAR = 1;
  shell.working = false;
  std::vector<std::wstring> texts;
  {
    MessageBoxWatcher watcher;
    applyTrayOptions(window);
    texts = watcher.texts();
  }
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(narrow(texts[0]), narrow(L"トレイアイコンの追加に失敗しました。\nタスクトレイに入れる設定を変更します。"));
  EXPECT_EQ(ALWAYS_TRAY, 0);
  EXPECT_EQ(IN_TRAY, 0);
  EXPECT_EQ(UNTOUCHABLE, 0);
  EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
  EXPECT_EQ(readKey(L"ALWAYS_TRAY"), L"0");
  EXPECT_EQ(readKey(L"IN_TRAY"), L"0");
  EXPECT_EQ(readKey(L"UNTOUCHABLE"), L"0");
}

TEST_F(TrayIcon, ClickThroughModesSetTheStylesAndTheTrayIcon) {
  struct Case {
    bool framed;
    int command;
    bool transparent, maximiseBox;
  } cases[] = {
      {false, 14, false, true}, {false, 15, true, true}, {false, 16, true, false},
      {true, 14, false, true},  {true, 15, false, true}, {true, 16, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "framed " << c.framed << " command " << c.command);
    LONG style = c.framed ? WS_OVERLAPPEDWINDOW : (WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    SetWindowLongW(window, GWL_STYLE, style | WS_VISIBLE);
    ALWAYS_TRAY = 0;
    shell.icons.clear();
    setMousePassThrough(window, c.command);
    EXPECT_EQ(UNTOUCHABLE, c.command - 14);
    EXPECT_EQ(readKey(L"UNTOUCHABLE"), std::to_wstring(c.command - 14));
    EXPECT_EQ((GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0, c.transparent);
    EXPECT_EQ((GetWindowLongW(window, GWL_STYLE) & WS_MAXIMIZEBOX) != 0, c.maximiseBox);
    EXPECT_EQ(ALWAYS_TRAY, c.command == 15 ? 1 : 0);
    EXPECT_EQ(shell.has(window), c.command == 15);
  }
}

TEST_F(TrayIcon, ClickThroughEverywhereWithoutAShellIsCancelled) {
  struct Case {
    int modeBefore;
    bool transparent;
  } cases[] = {
      {0, false},
      {2, true},
      // Mode 1 already in effect and its icon gone: no way back to a window that ignores every
      // click, so it takes clicks until the icon is back, but the choice is neither changed
      // nor written.
      {1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.modeBefore);
    DeleteFileW(path_);
    SetWindowLongW(window, GWL_STYLE, WS_POPUP | WS_VISIBLE | WS_MAXIMIZEBOX);
    SetWindowLongW(window, GWL_EXSTYLE, c.modeBefore ? WS_EX_TRANSPARENT : 0);
    UNTOUCHABLE = c.modeBefore;
    ALWAYS_TRAY = 1;
    IN_TRAY = 1;
    shell.working = false;
    std::vector<std::wstring> texts;
    {
      MessageBoxWatcher watcher;
      setMousePassThrough(window, 15);
      texts = watcher.texts();
    }
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(narrow(texts[0]), narrow(L"トレイアイコンの追加に失敗しました。\n設定の変更をキャンセルします。"));
    EXPECT_EQ(UNTOUCHABLE, c.modeBefore);
    EXPECT_EQ(ALWAYS_TRAY, 0);
    EXPECT_EQ(IN_TRAY, 0);
    EXPECT_EQ(readKey(L"ALWAYS_TRAY"), L"0");
    EXPECT_EQ(readKey(L"IN_TRAY"), L"0");
    EXPECT_EQ(readKey(L"UNTOUCHABLE"), L"<missing>");
    EXPECT_EQ((GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0, c.transparent);
  }
}

TEST_F(TrayIcon, StoredModeOneWithoutATaskbarWaitsForItWithoutWritingAndComesBackWithIt) {
  // Started before the taskbar, frameless, mode 1 stored (which forces ALWAYS_TRAY on).
  SetWindowLongW(window, GWL_STYLE, WS_POPUP | WS_VISIBLE | WS_SYSMENU | WS_MAXIMIZEBOX);
  SetWindowLongW(window, GWL_EXSTYLE, WS_EX_LAYERED | WS_EX_TRANSPARENT);
  UNTOUCHABLE = 1;
  ALWAYS_TRAY = 1;
  IN_TRAY = 1;
  BALLOON = 1;
  shell.working = false;
  auto transparent = [&] { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0; };
  std::vector<std::wstring> texts;
  {
    MessageBoxWatcher watcher;
    applyClickThroughAtStart(window);
    // Switching the form meanwhile keeps the frameless window reachable.
    toggleWindowForm(window);
    toggleWindowForm(window);
    texts = watcher.texts();
  }
  EXPECT_TRUE(texts.empty());
  EXPECT_FALSE(transparent()) << "a window nobody can click and no icon to reach it";
  EXPECT_EQ(UNTOUCHABLE, 1);
  EXPECT_EQ(IN_TRAY, 1);
  EXPECT_FALSE(balloonPreferred(window)) << "notices would go to an icon that is not there";
  for (const wchar_t* key : {L"UNTOUCHABLE", L"ALWAYS_TRAY", L"IN_TRAY"}) EXPECT_EQ(readKey(key), L"<missing>") << key;

  shell.working = true;
  onTaskbarCreated(window);
  EXPECT_TRUE(shell.has(window));
  EXPECT_TRUE(transparent());
  EXPECT_EQ(ALWAYS_TRAY, 1);
  EXPECT_FALSE(clickThroughWaitingForTray());
  EXPECT_EQ(readKey(L"UNTOUCHABLE"), L"<missing>");
}

TEST_F(TrayIcon, TaskbarCreatedBringsTheIconBackOnlyWhereItWasShown) {
  struct Case {
    const char* what;
    int alwaysTray, zOrder;
    bool visible, iconic, icon;
    bool kept = false;  // the message comes twice: the second finds the icon there
  } cases[] = {
      {"window on screen, no tray option", 0, 0, true, false, false},
      {"always in the tray", 1, 0, true, false, true},
      {"hidden in the tray", 0, 0, false, false, true},
      {"embedded and minimised", 0, 2, true, true, true},
      {"minimised, not embedded", 0, 0, true, true, false},
      {"always in the tray, the message twice", 1, 0, true, false, true, true},
  };
  BALLOON = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ShowWindow(window, c.visible ? (c.iconic ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE) : SW_HIDE);
    pump();
    ALWAYS_TRAY = c.alwaysTray;
    Z_ORDER = c.zOrder;
    if (!c.kept) shell.icons.clear();  // the restarted shell has forgotten every icon
    for (int i = 0; i < (c.kept ? 2 : 1); ++i) onTaskbarCreated(window);
    EXPECT_EQ(shell.has(window), c.icon);
    EXPECT_EQ(balloonPreferred(window), c.icon) << "balloons, not boxes, while the icon is there";
    ShowWindow(window, SW_RESTORE);
  }
}

TEST_F(TrayIcon, WhileTheAlarmPlaysADoubleClickOnlyStopsItAndTheMenuLeadsWithTheStopItem) {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring wav(exe);
  wav = wav.substr(0, wav.find_last_of(L'\\') + 1) + L"alarm.wav";
  std::wstring open = L"open \"" + wav + L"\" type waveaudio alias alarm";
  ASSERT_EQ(mciSendStringW(open.c_str(), nullptr, 0, nullptr), 0u);
  ASSERT_EQ(mciSendStringW(L"play alarm", nullptr, 0, nullptr), 0u);
  ASSERT_TRUE(isAlarmPlaying());

  HMENU menu = buildContextMenu();
  wchar_t first[64] = L"";
  GetMenuStringW(menu, 0, first, 64, MF_BYPOSITION);
  EXPECT_STREQ(first, L"アラーム停止(&T)\tF4");
  EXPECT_EQ(GetMenuItemID(menu, 0), 0u);
  DestroyMenu(menu);

  ALWAYS_TRAY = 0;
  IN_TRAY = 1;
  ShowWindow(window, SW_HIDE);
  addTrayIcon(window);
  trayLeftDoubleClick(window);
  EXPECT_FALSE(isAlarmPlaying());
  EXPECT_FALSE(IsWindowVisible(window)) << "the window stays in the tray";
  EXPECT_TRUE(shell.has(window));
  mciSendStringW(L"close alarm", nullptr, 0, nullptr);

  menu = buildContextMenu();
  GetMenuStringW(menu, 0, first, 64, MF_BYPOSITION);
  EXPECT_STREQ(first, L"タイマースタート(&S)\tF5");
  DestroyMenu(menu);
}
