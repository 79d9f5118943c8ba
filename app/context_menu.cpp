#include "app/context_menu.h"

#include <cwchar>

#include "common/settings.h"
#include "common/timer_state.h"
#include "res/resource.h"
#include "shell/alarm.h"

namespace {

constexpr int LABEL_SIZE = 1024;
constexpr UINT GREYED = MF_GRAYED | MF_DISABLED;

UINT checkedIf(int value) { return value ? MF_CHECKED : MF_UNCHECKED; }

void appendItem(HMENU menu, UINT id, const wchar_t* label, UINT flags = MF_STRING) {
  AppendMenuW(menu, MF_STRING | flags, id, label);
}

void appendSeparator(HMENU menu) { AppendMenuW(menu, MF_SEPARATOR, 0, nullptr); }

// A submenu of three choices, the one at position `checked` marked as a radio item.
struct Choice {
  UINT id;
  const wchar_t* label;
};
HMENU radioMenu(const Choice (&choices)[3], int checked) {
  HMENU menu = CreatePopupMenu();
  for (const Choice& c : choices) appendItem(menu, c.id, c.label);
  CheckMenuRadioItem(menu, 0, 2, checked, MF_BYPOSITION);
  return menu;
}

void appendSubmenu(HMENU menu, HMENU submenu, const wchar_t* label) {
  AppendMenuW(menu, MF_STRING | MF_POPUP, (UINT_PTR)submenu, label);
}

// Names are at most 127 characters; the precision keeps a name without its terminator in bounds.
std::wstring formatName(const wchar_t* namedFormat, const wchar_t* numberedFormat, const wchar_t* name,
                        int index, int mnemonic) {
  wchar_t label[LABEL_SIZE];
  if (name && name[0])
    swprintf_s(label, LABEL_SIZE, namedFormat, name, mnemonic);
  else
    swprintf_s(label, LABEL_SIZE, numberedFormat, index, mnemonic);
  return label;
}

HMENU intervalMenu(const ContextMenuState& s) {
  HMENU menu = CreatePopupMenu();
  appendItem(menu, CMD_SET_INTERVAL, L"タイマーセット(&T)\tF6");
  appendItem(menu, CMD_TOGGLE_TIMER_LOOP, L"繰り返す(&K)", checkedIf(s.timerLoop));
  return menu;
}

HMENU programListMenu(const ContextMenuState& s) {
  HMENU menu = CreatePopupMenu();
  for (int i = 0; i < 10; ++i)
    appendItem(menu, CMD_SELECT_PROGRAM_0 + i, programListLabel(s.programNames[i], i).c_str());
  CheckMenuRadioItem(menu, 0, 9, s.programNo, MF_BYPOSITION);
  appendSeparator(menu);
  appendItem(menu, CMD_PROGRAM_RENAME, L"名前を変更(&N)");
  appendItem(menu, CMD_PROGRAM_UP, L"↑(&U)");
  appendItem(menu, CMD_PROGRAM_DOWN, L"↓(&D)");
  return menu;
}

HMENU programMenu(const ContextMenuState& s) {
  HMENU menu = CreatePopupMenu();
  const wchar_t* selectedName = (s.programNo >= 0 && s.programNo < 10) ? s.programNames[s.programNo] : L"";
  appendItem(menu, CMD_PROGRAM_START, L"プログラムタイマースタート(&P)\tF8");
  appendSubmenu(menu, programListMenu(s), selectedProgramLabel(selectedName, s.programNo).c_str());
  appendItem(menu, CMD_PROGRAM_EDIT, editProgramLabel(selectedName, s.programNo).c_str());
  appendSeparator(menu);
  appendItem(menu, CMD_PROGRAM_LOOP, L"繰り返す(&K)", checkedIf(s.programLoop));
  return menu;
}

HMENU zOrderMenu(const ContextMenuState& s) {
  return radioMenu({{CMD_ZORDER_NORMAL, L"ノーマル(&N)\tF9"},
                    {CMD_ZORDER_TOP, L"常に最前面(&T)\tF10"},
                    {CMD_ZORDER_BOTTOM, L"常に最背面(&B)\tF11"}},
                   s.zOrder);
}

HMENU passThroughMenu(const ContextMenuState& s) {
  return radioMenu({{CMD_PASS_TRANSPARENT, L"透明部分透過(&T)"},
                    {CMD_PASS_ALL, L"全域透過(&Z)"},
                    {CMD_PASS_NONE, L"全域非透過(&H)"}},
                   s.untouchable);
}

HMENU autoCloseMenu(const ContextMenuState& s) {
  HMENU menu = radioMenu({{CMD_AUTO_CLOSE_NEVER, L"常に自動終了しない(&N)"},
                          {CMD_AUTO_CLOSE_BY_KIND, L"タイマーの種類別に設定(&T)"},
                          {CMD_AUTO_CLOSE_ALWAYS, L"常に自動終了する(&A)"}},
                         s.autoCloseIndex);
  appendSeparator(menu);
  UINT byKind = s.autoCloseIndex == 1 ? MF_ENABLED : GREYED;
  appendItem(menu, CMD_AUTO_CLOSE_KT, L"間隔指定タイマー(&K)", byKind | checkedIf(s.autoCloseKt));
  appendItem(menu, CMD_AUTO_CLOSE_JT, L"時刻指定タイマー(&J)", byKind | checkedIf(s.autoCloseJt));
  appendItem(menu, CMD_AUTO_CLOSE_PT, L"プログラムタイマー(&P)", byKind | checkedIf(s.autoClosePt));
  appendSeparator(menu);
  appendItem(menu, CMD_AUTO_CLOSE_GRACE, L"自動終了猶予時間設定(&Y)");
  return menu;
}

HMENU settingsMenu(const ContextMenuState& s) {
  HMENU menu = CreatePopupMenu();
  appendSubmenu(menu, zOrderMenu(s), L"Zオーダー(&Z)");
  appendSubmenu(menu, passThroughMenu(s), L"マウス透過(&C)");
  appendSubmenu(menu, autoCloseMenu(s), L"自動終了(&J)");
  appendItem(menu, CMD_SECOND_SOUND, L"毎秒音(&S)", checkedIf(s.secondSound));
  appendSeparator(menu);
  appendItem(menu, CMD_OPTIONS, L"オプション(&O)\tF12");
  appendItem(menu, CMD_FONT, L"フォント設定(&F)");
  appendItem(menu, CMD_TEXT_COLOUR, L"文字色設定(&M)");
  appendItem(menu, CMD_BG_COLOUR, L"背景色設定(&H)");
  appendItem(menu, CMD_BG_IMAGE, L"背景画像設定(&B)");
  appendItem(menu, CMD_TRANSPARENCY, L"透過設定(&T)");
  appendItem(menu, CMD_ASPECT, L"切替縦横比設定(&K)");
  appendItem(menu, CMD_ALARM_SOUND, L"アラーム音設定(&A)");
  return menu;
}

HMENU helpMenu() {
  HMENU menu = CreatePopupMenu();
  appendItem(menu, CMD_README, L"Readme.txt(&H)\tF1");
  appendSeparator(menu);
  appendItem(menu, CMD_VERSION, L"バージョン情報(&A)");
  return menu;
}

}  // namespace

std::wstring programListLabel(const wchar_t* name, int index) {
  return formatName(L"%.127ls(&%d)", L"プログラム_%d(&%d)", name, index, index);
}

std::wstring selectedProgramLabel(const wchar_t* name, int index) {
  return formatName(L"%.127ls(&S)", L"プログラム_%d(&S)", name, index, 0);
}

std::wstring editProgramLabel(const wchar_t* name, int index) {
  return formatName(L"「%.127ls」を編集(&H)", L"「プログラム_%d」を編集(&H)", name, index, 0);
}

ContextMenuState currentMenuState() {
  ContextMenuState s{};
  s.alarmPlaying = isAlarmPlaying();
  s.timerRunning = runActive != 0;  // also between two steps or repeats of a run
  s.pausable = s.timerRunning && kindCanPause(timerKind);
  s.pauseWanted = pauseWanted != 0;
  s.timerLoop = TIMER_LOOP;
  s.programNo = PROGRAM_TIMER_NO;
  s.programLoop = PROGRAM_TIMER_LOOP;
  s.programNames = programTimerNames;
  s.zOrder = Z_ORDER;
  s.untouchable = UNTOUCHABLE;
  s.autoCloseIndex = AUTO_CLOSE_INDEX;
  s.autoCloseKt = AUTO_CLOSE_KT;
  s.autoCloseJt = AUTO_CLOSE_JT;
  s.autoClosePt = AUTO_CLOSE_PT;
  s.secondSound = SECOND_SOUND;
  s.showSeconds = SHOW_SEC;
  return s;
}

const wchar_t* pauseLabel(const ContextMenuState& s) {
  return s.pausable && s.pauseWanted ? L"再開(&I)\tSpace" : L"一時停止(&I)\tSpace";
}

HMENU buildContextMenu(const ContextMenuState& s) {
  HMENU menu = CreatePopupMenu();
  if (s.alarmPlaying) {
    appendItem(menu, CMD_STOP_ALARM, L"アラーム停止(&T)\tF4");
    appendSeparator(menu);
  }
  appendItem(menu, CMD_START_STOP, s.timerRunning ? L"タイマー終了(&S)\tF5" : L"タイマースタート(&S)\tF5");
  appendItem(menu, CMD_PAUSE, pauseLabel(s), s.pausable ? MF_ENABLED : GREYED);
  appendSubmenu(menu, intervalMenu(s), L"間隔指定タイマー(&K)");
  appendItem(menu, CMD_TIME_OF_DAY, L"時刻指定タイマー(&J)\tF7");
  appendSubmenu(menu, programMenu(s), L"プログラムタイマー(&P)");
  appendSeparator(menu);
  appendSubmenu(menu, settingsMenu(s), L"設定(&C)");
  appendSeparator(menu);
  appendItem(menu, CMD_SHOW_SECONDS, L"秒を表示(&B)\tF2", checkedIf(s.showSeconds));
  appendItem(menu, CMD_WINDOW_FORM, L"ウィンドウ切替(&W)\tF3");
  appendSubmenu(menu, helpMenu(), L"ヘルプ(&H)");
  appendItem(menu, CMD_EXIT, L"終了(&X)\tAlt+F4");
  return menu;
}

HMENU buildContextMenu() { return buildContextMenu(currentMenuState()); }

void showTrayMenu(HWND window) {
  POINT cursor;
  GetCursorPos(&cursor);
  HMENU menu = buildContextMenu();
  // Without the foreground the tray menu would stay open after a click elsewhere.
  SetForegroundWindow(window);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
  MSG message;
  if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  DestroyMenu(menu);
}
