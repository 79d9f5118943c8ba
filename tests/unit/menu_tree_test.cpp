// The context menu as the user sees it: every label, id, check mark, radio mark and greyed
// item, read back from the real menu handles for a set of states.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/context_menu.h"

namespace {

// One line per item: indentation by depth, then the label and what is set on it.
//   "text #id", "text >" for a submenu, "-" for a separator; " [x]" check, " (o)" radio, " grey".
void dumpMenu(HMENU menu, int depth, std::vector<std::wstring>& lines) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[2048] = L"";
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 2047;
    GetMenuItemInfoW(menu, i, TRUE, &info);
    std::wstring line(depth * 2, L' ');
    if (info.fType & MFT_SEPARATOR) {
      lines.push_back(line + L"-");
      continue;
    }
    line += text;
    line += info.hSubMenu ? L" >" : L" #" + std::to_wstring(info.wID);
    if (info.fState & MFS_CHECKED) line += (info.fType & MFT_RADIOCHECK) ? L" (o)" : L" [x]";
    if (info.fState & MFS_GRAYED) line += L" grey";
    lines.push_back(line);
    if (info.hSubMenu) dumpMenu(info.hSubMenu, depth + 1, lines);
  }
}

std::vector<std::wstring> menuLines(const ContextMenuState& state) {
  HMENU menu = buildContextMenu(state);
  std::vector<std::wstring> lines;
  dumpMenu(menu, 0, lines);
  DestroyMenu(menu);
  return lines;
}

wchar_t noNames[10][128] = {};

ContextMenuState idleState() {
  ContextMenuState s{};
  s.programNames = noNames;
  return s;
}

// The menu with every value at 0, no names and nothing running.
const std::vector<std::wstring> idleMenu = {
    L"タイマースタート(&S)\tF5 #1",
    L"一時停止(&I)\tSpace #38 grey",
    L"間隔指定タイマー(&K) >",
    L"  タイマーセット(&T)\tF6 #2",
    L"  繰り返す(&K) #3",
    L"時刻指定タイマー(&J)\tF7 #4",
    L"プログラムタイマー(&P) >",
    L"  プログラムタイマースタート(&P)\tF8 #5",
    L"  プログラム_0(&S) >",
    L"    プログラム_0(&0) #90 (o)",
    L"    プログラム_1(&1) #91",
    L"    プログラム_2(&2) #92",
    L"    プログラム_3(&3) #93",
    L"    プログラム_4(&4) #94",
    L"    プログラム_5(&5) #95",
    L"    プログラム_6(&6) #96",
    L"    プログラム_7(&7) #97",
    L"    プログラム_8(&8) #98",
    L"    プログラム_9(&9) #99",
    L"    -",
    L"    名前を変更(&N) #8",
    L"    ↑(&U) #9",
    L"    ↓(&D) #10",
    L"  「プログラム_0」を編集(&H) #6",
    L"  -",
    L"  繰り返す(&K) #7",
    L"-",
    L"設定(&C) >",
    L"  Zオーダー(&Z) >",
    L"    ノーマル(&N)\tF9 #11 (o)",
    L"    常に最前面(&T)\tF10 #12",
    L"    常に最背面(&B)\tF11 #13",
    L"  マウス透過(&C) >",
    L"    透明部分透過(&T) #14 (o)",
    L"    全域透過(&Z) #15",
    L"    全域非透過(&H) #16",
    L"  自動終了(&J) >",
    L"    常に自動終了しない(&N) #17 (o)",
    L"    タイマーの種類別に設定(&T) #18",
    L"    常に自動終了する(&A) #19",
    L"    -",
    L"    間隔指定タイマー(&K) #20 grey",
    L"    時刻指定タイマー(&J) #21 grey",
    L"    プログラムタイマー(&P) #22 grey",
    L"    -",
    L"    自動終了猶予時間設定(&Y) #23",
    L"  毎秒音(&S) #24",
    L"  -",
    L"  オプション(&O)\tF12 #25",
    L"  フォント設定(&F) #26",
    L"  文字色設定(&M) #27",
    L"  背景色設定(&H) #28",
    L"  背景画像設定(&B) #29",
    L"  透過設定(&T) #30",
    L"  切替縦横比設定(&K) #31",
    L"  アラーム音設定(&A) #32",
    L"-",
    L"秒を表示(&B)\tF2 #33",
    L"ウィンドウ切替(&W)\tF3 #34",
    L"ヘルプ(&H) >",
    L"  Readme.txt(&H)\tF1 #35",
    L"  -",
    L"  バージョン情報(&A) #36",
    L"終了(&X)\tAlt+F4 #37",
};

std::wstring joined(const std::vector<std::wstring>& lines) {
  std::wstring all;
  for (const auto& l : lines) all += l + L"\n";
  return all;
}

std::string narrow(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), s.data(), n, nullptr, nullptr);
  return s;
}

// Expected menu: the idle menu with these lines replaced (each must occur exactly once).
struct Change {
  std::wstring from, to;
};

std::vector<std::wstring> idleMenuWith(const std::vector<Change>& changes) {
  std::vector<std::wstring> lines = idleMenu;
  for (const Change& c : changes) {
    auto it = std::find(lines.begin(), lines.end(), c.from);
    EXPECT_NE(it, lines.end()) << narrow(c.from);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), c.from), 1) << narrow(c.from);
    if (it != lines.end()) *it = c.to;
  }
  return lines;
}

struct MenuCase {
  const char* name;
  void (*setUp)(ContextMenuState&);
  std::vector<Change> changes;
};

wchar_t morningAtThree[10][128] = {L"", L"", L"", L"朝"};

}  // namespace

TEST(ContextMenu, IdleMenuHasEveryItemInOrder) {
  EXPECT_EQ(narrow(joined(menuLines(idleState()))), narrow(joined(idleMenu)));
}

TEST(ContextMenu, EachStateChangesExactlyItsItems) {
  const std::vector<MenuCase> cases = {
      {"slot 3 named morning and selected",
       [](ContextMenuState& s) { s.programNames = morningAtThree; s.programNo = 3; },
       {{L"  プログラム_0(&S) >", L"  朝(&S) >"},
        {L"    プログラム_0(&0) #90 (o)", L"    プログラム_0(&0) #90"},
        {L"    プログラム_3(&3) #93", L"    朝(&3) #93 (o)"},
        {L"  「プログラム_0」を編集(&H) #6", L"  「朝」を編集(&H) #6"}}},
      {"slot 3 named, slot 5 selected unnamed",
       [](ContextMenuState& s) { s.programNames = morningAtThree; s.programNo = 5; },
       {{L"  プログラム_0(&S) >", L"  プログラム_5(&S) >"},
        {L"    プログラム_0(&0) #90 (o)", L"    プログラム_0(&0) #90"},
        {L"    プログラム_3(&3) #93", L"    朝(&3) #93"},
        {L"    プログラム_5(&5) #95", L"    プログラム_5(&5) #95 (o)"},
        {L"  「プログラム_0」を編集(&H) #6", L"  「プログラム_5」を編集(&H) #6"}}},
      {"a time-of-day timer runs: no pause", [](ContextMenuState& s) { s.timerRunning = true; s.pauseWanted = true; },
       {{L"タイマースタート(&S)\tF5 #1", L"タイマー終了(&S)\tF5 #1"}}},
      {"an interval or program timer runs", [](ContextMenuState& s) { s.timerRunning = s.pausable = true; },
       {{L"タイマースタート(&S)\tF5 #1", L"タイマー終了(&S)\tF5 #1"},
        {L"一時停止(&I)\tSpace #38 grey", L"一時停止(&I)\tSpace #38"}}},
      {"paused", [](ContextMenuState& s) { s.timerRunning = s.pausable = s.pauseWanted = true; },
       {{L"タイマースタート(&S)\tF5 #1", L"タイマー終了(&S)\tF5 #1"},
        {L"一時停止(&I)\tSpace #38 grey", L"再開(&I)\tSpace #38"}}},
      {"auto-close by kind with two kinds ticked",
       [](ContextMenuState& s) { s.autoCloseIndex = 1; s.autoCloseKt = 1; s.autoClosePt = 1; },
       {{L"    常に自動終了しない(&N) #17 (o)", L"    常に自動終了しない(&N) #17"},
        {L"    タイマーの種類別に設定(&T) #18", L"    タイマーの種類別に設定(&T) #18 (o)"},
        {L"    間隔指定タイマー(&K) #20 grey", L"    間隔指定タイマー(&K) #20 [x]"},
        {L"    時刻指定タイマー(&J) #21 grey", L"    時刻指定タイマー(&J) #21"},
        {L"    プログラムタイマー(&P) #22 grey", L"    プログラムタイマー(&P) #22 [x]"}}},
      {"auto-close always keeps the kinds greyed with their ticks",
       [](ContextMenuState& s) { s.autoCloseIndex = 2; s.autoCloseJt = 1; },
       {{L"    常に自動終了しない(&N) #17 (o)", L"    常に自動終了しない(&N) #17"},
        {L"    常に自動終了する(&A) #19", L"    常に自動終了する(&A) #19 (o)"},
        {L"    時刻指定タイマー(&J) #21 grey", L"    時刻指定タイマー(&J) #21 [x] grey"}}},
      {"auto-close never shows ticks greyed",
       [](ContextMenuState& s) { s.autoCloseKt = 1; s.autoCloseJt = 1; s.autoClosePt = 1; },
       {{L"    間隔指定タイマー(&K) #20 grey", L"    間隔指定タイマー(&K) #20 [x] grey"},
        {L"    時刻指定タイマー(&J) #21 grey", L"    時刻指定タイマー(&J) #21 [x] grey"},
        {L"    プログラムタイマー(&P) #22 grey", L"    プログラムタイマー(&P) #22 [x] grey"}}},
      {"embedded in the desktop", [](ContextMenuState& s) { s.zOrder = 2; },
       {{L"    ノーマル(&N)\tF9 #11 (o)", L"    ノーマル(&N)\tF9 #11"},
        {L"    常に最背面(&B)\tF11 #13", L"    常に最背面(&B)\tF11 #13 (o)"}}},
      {"always on top", [](ContextMenuState& s) { s.zOrder = 1; },
       {{L"    ノーマル(&N)\tF9 #11 (o)", L"    ノーマル(&N)\tF9 #11"},
        {L"    常に最前面(&T)\tF10 #12", L"    常に最前面(&T)\tF10 #12 (o)"}}},
      {"clicks pass everywhere", [](ContextMenuState& s) { s.untouchable = 1; },
       {{L"    透明部分透過(&T) #14 (o)", L"    透明部分透過(&T) #14"},
        {L"    全域透過(&Z) #15", L"    全域透過(&Z) #15 (o)"}}},
      {"clicks pass nowhere", [](ContextMenuState& s) { s.untouchable = 2; },
       {{L"    透明部分透過(&T) #14 (o)", L"    透明部分透過(&T) #14"},
        {L"    全域非透過(&H) #16", L"    全域非透過(&H) #16 (o)"}}},
      {"every check box on",
       [](ContextMenuState& s) { s.timerLoop = 1; s.programLoop = 1; s.secondSound = 1; s.showSeconds = 1; },
       {{L"  繰り返す(&K) #3", L"  繰り返す(&K) #3 [x]"},
        {L"  繰り返す(&K) #7", L"  繰り返す(&K) #7 [x]"},
        {L"  毎秒音(&S) #24", L"  毎秒音(&S) #24 [x]"},
        {L"秒を表示(&B)\tF2 #33", L"秒を表示(&B)\tF2 #33 [x]"}}},
  };
  for (const MenuCase& c : cases) {
    SCOPED_TRACE(c.name);
    ContextMenuState state = idleState();
    c.setUp(state);
    EXPECT_EQ(narrow(joined(menuLines(state))), narrow(joined(idleMenuWith(c.changes))));
  }
}

TEST(ContextMenu, PlayingAlarmPutsTheStopItemAndASeparatorFirst) {
  ContextMenuState state = idleState();
  state.alarmPlaying = true;
  std::vector<std::wstring> expected = idleMenu;
  expected.insert(expected.begin(), {L"アラーム停止(&T)\tF4 #0", L"-"});
  EXPECT_EQ(narrow(joined(menuLines(state))), narrow(joined(expected)));
}

TEST(ContextMenu, NamesWithAmpersandsLongNamesAndEmptyNamesGiveWholeLabels) {
  static wchar_t names[10][128] = {};
  wcscpy(names[0], L"A&B");
  std::wstring longName(127, L'長');
  wcscpy(names[1], longName.c_str());
  wcscpy(names[2], L"&");
  // names[3] stays empty.
  for (int selected : {0, 1, 2, 3}) {
    SCOPED_TRACE(selected);
    ContextMenuState state = idleState();
    state.programNames = names;
    state.programNo = selected;
    std::vector<std::wstring> lines = menuLines(state);
    const std::wstring shown[4] = {L"A&B", longName, L"&", L"プログラム_3"};
    auto has = [&](const std::wstring& line) {
      return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(has(L"  " + shown[selected] + L"(&S) >"));
    EXPECT_TRUE(has(L"  「" + shown[selected] + L"」を編集(&H) #6"));
    EXPECT_TRUE(has(L"    A&B(&0) #90" + std::wstring(selected == 0 ? L" (o)" : L"")));
    EXPECT_TRUE(has(L"    " + longName + L"(&1) #91" + (selected == 1 ? L" (o)" : L"")));
    EXPECT_TRUE(has(L"    &(&2) #92" + std::wstring(selected == 2 ? L" (o)" : L"")));
    EXPECT_TRUE(has(L"    プログラム_3(&3) #93" + std::wstring(selected == 3 ? L" (o)" : L"")));
  }
}

TEST(ContextMenu, NameWithoutTerminatorIsCutAt127Characters) {
  wchar_t full[128];
  std::fill(std::begin(full), std::end(full), L'x');  // no terminator anywhere
  EXPECT_EQ(programListLabel(full, 4), std::wstring(127, L'x') + L"(&4)");
  EXPECT_EQ(editProgramLabel(full, 4), L"「" + std::wstring(127, L'x') + L"」を編集(&H)");
  EXPECT_EQ(selectedProgramLabel(L"", 7), L"プログラム_7(&S)");
  EXPECT_EQ(editProgramLabel(nullptr, 9), L"「プログラム_9」を編集(&H)");
}

// An access key shared by two items of one menu only moves between them: neither runs.
void collectAccessKeyClashes(HMENU menu, std::wstring& clashes) {
  std::wstring keys;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[1024] = L"";
    GetMenuStringW(menu, i, text, 1024, MF_BYPOSITION);
    const wchar_t* mark = wcsstr(text, L"(&");
    if (mark && keys.find(mark[2]) != std::wstring::npos) clashes += text;
    if (mark) keys += mark[2];
    if (HMENU sub = GetSubMenu(menu, i)) collectAccessKeyClashes(sub, clashes);
  }
}

TEST(ContextMenu, NoTwoItemsOfOneMenuShareAnAccessKey) {
  ContextMenuState state = idleState();
  state.alarmPlaying = state.timerRunning = state.pausable = true;
  HMENU menu = buildContextMenu(state);
  std::wstring clashes;
  collectAccessKeyClashes(menu, clashes);
  DestroyMenu(menu);
  EXPECT_EQ(narrow(clashes), "");
}
