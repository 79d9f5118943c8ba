// The program timer editor (210), the step editor (211) and the rename dialog (209), created
// in-process from the real templates and driven through their buttons.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "display/dpi.h"
#include "program_test_support.h"
#include "programs/program_editor.h"
#include "programs/program_file.h"
#include "programs/step_editor.h"
#include "res/resource.h"
#include "tray_test_support.h"

namespace {

using program_test::ProgramFolder;

std::wstring text(HWND window) {
  wchar_t buffer[1024] = L"";
  GetWindowTextW(window, buffer, 1024);
  return buffer;
}

struct RowText {
  std::wstring wait, sound, repeat, message;
  bool operator==(const RowText&) const = default;
};

void PrintTo(const RowText& r, std::ostream* os) {
  *os << testing::PrintToString(r.wait) << "/" << testing::PrintToString(r.sound) << "/"
      << testing::PrintToString(r.repeat) << "/" << testing::PrintToString(r.message);
}

BOOL CALLBACK findOwnedWindow(HWND w, LPARAM p) {
  auto* pair = reinterpret_cast<std::pair<HWND, HWND*>*>(p);
  if (GetWindow(w, GW_OWNER) == pair->first && IsWindowVisible(w)) {
    *pair->second = w;
    return FALSE;
  }
  return TRUE;
}

class Editor : public ProgramFolder {
 protected:
  void SetUp() override {
    ProgramFolder::SetUp();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
  }
  void TearDown() override {
    if (dialog_) DestroyWindow(dialog_);
    ProgramFolder::TearDown();
  }
  void open() {
    dialog_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROGRAM_EDITOR), nullptr,
                                 programEditorDialogProc, 0);
    ASSERT_NE(dialog_, nullptr);
    ASSERT_NE(programListView, nullptr);
    ShowWindow(dialog_, SW_SHOW);
    pump();
  }
  static void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  void press(int id) { SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  std::vector<RowText> rows() const {
    std::vector<RowText> out;
    int n = ListView_GetItemCount(programListView);
    for (int i = 0; i < n; ++i) {
      wchar_t c[4][512];
      for (int k = 0; k < 4; ++k) getRowText(programListView, i, k, c[k], 512);
      out.push_back({c[0], c[1], c[2], c[3]});
    }
    return out;
  }
  std::vector<std::wstring> waits() const {
    std::vector<std::wstring> out;
    for (const RowText& r : rows()) out.push_back(r.wait);
    return out;
  }
  void select(int row) {
    ListView_SetItemState(programListView, -1, 0, LVIS_SELECTED);
    if (row >= 0) ListView_SetItemState(programListView, row, LVIS_SELECTED, LVIS_SELECTED);
  }
  // Presses a button of the editor that may open the step editor; drive runs on another
  // thread with the step editor's window once it shows and must end it. Returns the step
  // editor's caption, or empty when none opened within the wait.
  std::wstring withStepEditor(int button, const std::function<void(HWND)>& drive, DWORD waitMs = 3000) {
    std::atomic<HWND> found{nullptr};
    std::atomic<bool> done{false};
    const DWORD thread = GetCurrentThreadId();
    HWND owner = dialog_;
    std::thread helper([&] {
      DWORD start = GetTickCount();
      while (!done && GetTickCount() - start < waitMs) {
        HWND step = nullptr;
        std::pair<HWND, HWND*> search(owner, &step);
        EnumThreadWindows(thread, findOwnedWindow, reinterpret_cast<LPARAM>(&search));
        if (step) {
          found = step;
          drive(step);
          return;
        }
        Sleep(20);
      }
    });
    press(button);
    done = true;
    helper.join();
    HWND step = found;
    return step ? captions_[step] : std::wstring();
  }
  std::wstring captionOf(HWND step) { return captions_[step] = text(step); }

  HWND dialog_ = nullptr;
  std::map<HWND, std::wstring> captions_;
};

void pressIn(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
void setItem(HWND dialog, int id, const wchar_t* value) { SetWindowTextW(GetDlgItem(dialog, id), value); }
std::wstring item(HWND dialog, int id) { return text(GetDlgItem(dialog, id)); }

TEST_F(Editor, TitleNamesTheSelectedProgramTimerOrItsSlot) {
  PROGRAM_TIMER_NO = 4;
  open();
  EXPECT_EQ(text(dialog_), L"「プログラム_4」を編集 - Velmora");
  DestroyWindow(dialog_);
  wcscpy_s(programTimerNames[4], L"朝の準備");
  open();
  EXPECT_EQ(text(dialog_), L"「朝の準備」を編集 - Velmora");
}

TEST_F(Editor, RowsComeFromTheFileWithEscapedMessagesAndGoBackUnchanged) {
  const std::wstring file = L"1500\tアラーム.wav\t1\t準備\\nよし\\\\終わり\n200\t\t0\t\n";
  ASSERT_TRUE(writeSlot(0, file));
  const std::string before = readBytes(slotName(0));
  open();
  std::vector<RowText> expected = {
      {L"1500", L"アラーム.wav", L"有", L"準備\\nよし\\\\終わり"},
      {L"200", L"", L"無", L""},
  };
  EXPECT_EQ(rows(), expected);
  EXPECT_EQ(selectedRow(programListView), -1);
  press(IDC_PROGRAM_APPLY);
  EXPECT_EQ(readBytes(slotName(0)), before);
  EXPECT_TRUE(IsWindowVisible(dialog_));
}

TEST_F(Editor, MoveAndDeleteKeepTheSelectionOnTheSameStep) {
  struct Case {
    int button;
    int selected;
    std::vector<std::wstring> after;
    int selectedAfter;
  };
  const Case cases[] = {
      {IDC_PROGRAM_UP, 2, {L"1", L"3", L"2", L"4"}, 1},
      {IDC_PROGRAM_UP, 0, {L"1", L"2", L"3", L"4"}, 0},
      {IDC_PROGRAM_UP, -1, {L"1", L"2", L"3", L"4"}, -1},
      {IDC_PROGRAM_DOWN, 1, {L"1", L"3", L"2", L"4"}, 2},
      {IDC_PROGRAM_DOWN, 3, {L"1", L"2", L"3", L"4"}, 3},
      {IDC_PROGRAM_DOWN, -1, {L"1", L"2", L"3", L"4"}, -1},
      {IDC_PROGRAM_DELETE, 1, {L"1", L"3", L"4"}, 1},
      {IDC_PROGRAM_DELETE, 3, {L"1", L"2", L"3"}, 2},
      {IDC_PROGRAM_DELETE, -1, {L"1", L"2", L"3", L"4"}, -1},
  };
  ASSERT_TRUE(writeSlot(0, L"1\ta\t1\tm1\n2\tb\t0\tm2\n3\tc\t1\tm3\n4\td\t0\tm4\n"));
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "button " << c.button << " on row " << c.selected);
    open();
    std::vector<RowText> original = rows();
    select(c.selected);
    press(c.button);
    EXPECT_EQ(waits(), c.after);
    EXPECT_EQ(selectedRow(programListView), c.selectedAfter);
    // Every row moves whole: its other columns go with its wait.
    for (const RowText& r : rows()) EXPECT_EQ(r, original[std::stoi(r.wait) - 1]);
    DestroyWindow(dialog_);
    dialog_ = nullptr;
  }

  // Deleting the only row leaves nothing selected.
  ASSERT_TRUE(writeSlot(0, L"9\n"));
  open();
  select(0);
  press(IDC_PROGRAM_DELETE);
  EXPECT_TRUE(rows().empty());
  EXPECT_EQ(selectedRow(programListView), -1);
}

TEST_F(Editor, OkSavesApplySavesAndStaysCancelSavesNothing) {
  ASSERT_TRUE(writeSlot(0, L"1\ta\t0\t\n2\tb\t0\t\n"));
  const std::string original = readBytes(slotName(0));
  open();
  select(0);
  press(IDC_PROGRAM_DELETE);
  press(IDCANCEL);
  EXPECT_EQ(readBytes(slotName(0)), original);
  DestroyWindow(dialog_);

  open();
  select(0);
  press(IDC_PROGRAM_DELETE);
  press(IDC_PROGRAM_APPLY);
  EXPECT_TRUE(IsWindowVisible(dialog_));
  EXPECT_EQ(readBytes(slotName(0)), utf16(L"2\tb\t0\t\r\n"));
  select(0);
  press(IDC_PROGRAM_DELETE);
  press(IDOK);
  // An empty list is saved as a file with only the byte-order mark.
  EXPECT_EQ(readBytes(slotName(0)), std::string("\xFF\xFE", 2));
}

TEST_F(Editor, AFileThatWasNotReadWholeIsReplacedOnlyWithConsent) {
  // Held open without sharing by another program while the editor opens: the list is empty.
  ASSERT_TRUE(writeSlot(0, L"1\ta\t0\tkeep\n2\tb\t0\tme\n"));
  const std::string original = readBytes(slotName(0));
  HANDLE held = CreateFileW(slotPath(0).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  open();
  CloseHandle(held);
  EXPECT_TRUE(rows().empty());
  const std::wstring question =
      L"プログラムタイマー設定ファイルを全部は読み込めませんでした。\n"
      L"保存すると、読み込めなかったステップは失われます。保存しますか？";
  // Declined, for OK and for 適用: nothing written, the editor stays open.
  for (int button : {IDOK, IDC_PROGRAM_APPLY}) {
    std::vector<std::wstring> texts;
    {
      traytest::MessageBoxWatcher watcher(IDNO);
      press(button);
      texts = watcher.texts();
    }
    ASSERT_EQ(texts.size(), 1u) << button;
    EXPECT_EQ(texts[0], question);
    EXPECT_TRUE(IsWindow(dialog_));
    EXPECT_EQ(readBytes(slotName(0)), original);
  }
  // Consented: written; afterwards the file is the list and no more questions are asked.
  std::vector<std::wstring> texts;
  {
    traytest::MessageBoxWatcher watcher(IDYES);
    press(IDC_PROGRAM_APPLY);
    press(IDC_PROGRAM_APPLY);
    texts = watcher.texts();
  }
  EXPECT_EQ(texts.size(), 1u);
  EXPECT_EQ(readBytes(slotName(0)), std::string("\xFF\xFE", 2));
}

TEST_F(Editor, TabsAndControlCharactersTheFileCannotHoldAreRefusedAndEverythingElseComesBack) {
  open();
  // What a paste can bring into the boxes. A TAB separates the fields of the file, a line
  // break ends its step, and no file name holds a control character.
  struct Case {
    const wchar_t* sound;
    const wchar_t* message;
    const wchar_t* refusal;  // null: accepted
  } cases[] = {
      {L"a\tb.wav", L"", L"音声ファイル名にタブや改行などの制御文字は使えません。"},
      {L"a\r\nb.wav", L"", L"音声ファイル名にタブや改行などの制御文字は使えません。"},
      {L"a.wav", L"before\tafter", L"メッセージにタブ文字（または Ctrl+Z の制御文字）は使えません。"},
      // The runtime's text mode would end the whole file at U+001A.
      {L"a.wav", L"before\x1a" L"after", L"メッセージにタブ文字（または Ctrl+Z の制御文字）は使えません。"},
      {L"C:\\音\\t.wav", L"line\r\nbreak \\t \\n \\\\ \x01\x1b\x1f end", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.sound) + L"|" + c.message));
    const size_t before = rows().size();
    std::vector<std::wstring> texts;
    std::atomic<bool> stillOpen{false};
    {
      traytest::MessageBoxWatcher watcher;
      withStepEditor(IDC_PROGRAM_ADD, [&](HWND step) {
        setItem(step, IDC_STEP_SOUND, c.sound);
        setItem(step, IDC_STEP_MESSAGE, c.message);
        SendMessageW(step, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        stillOpen = IsWindow(step) && IsWindowVisible(step);
        if (stillOpen) SendMessageW(step, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      });
      texts = watcher.texts();
    }
    if (c.refusal) {
      ASSERT_EQ(texts.size(), 1u);
      EXPECT_EQ(texts[0], c.refusal);
      EXPECT_TRUE(stillOpen);
      EXPECT_EQ(rows().size(), before);
    } else {
      EXPECT_TRUE(texts.empty());
      EXPECT_FALSE(stillOpen);
      ASSERT_EQ(rows().size(), before + 1);
    }
  }
  // The accepted texts come back from the file exactly.
  press(IDC_PROGRAM_APPLY);
  ProgramStep* list = nullptr;
  loadProgramSteps(&list);
  ASSERT_EQ(programStepCount(list), 1);
  EXPECT_EQ(std::wstring(list[0].soundFile), cases[4].sound);
  EXPECT_EQ(std::wstring(list[0].message), cases[4].message);
  HeapFree(GetProcessHeap(), 0, list);
}

TEST_F(Editor, LayoutFollowsTheDialogSize) {
  const EditorMetrics m{60, 23, 15, 75, 15};
  EditorLayout l = editorLayout(m, 500, 400);
  EXPECT_EQ(l.list.left, 15);
  EXPECT_EQ(l.list.top, 15);
  EXPECT_EQ(l.list.right - l.list.left, 500 - (45 + 60));
  EXPECT_EQ(l.list.bottom - l.list.top, 400 - (45 + 23));
  const int y0 = 15 + (332 - 75 - 138) / 2;
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(l.sideButtons[k].x, 395 + 30);
    EXPECT_EQ(l.sideButtons[k].y, y0 + k * 38);
  }
  const int x1 = 15 + (395 - 30 - 225) / 2;
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(l.bottomButtons[k].x, x1 + k * 90);
    EXPECT_EQ(l.bottomButtons[k].y, 332 + 30);
  }
  // Too small for its buttons: the sums go negative and the controls overlap, as designed.
  l = editorLayout(m, 50, 40);
  EXPECT_LT(l.list.right, l.list.left);
  EXPECT_LT(l.sideButtons[0].y, l.list.top);

  // The real dialog at two sizes: every control where the arithmetic puts it, with the metrics
  // taken from the template (dialog units: buttons 40 x 15 and OK 50 wide, "↑" at y 10 and
  // "↓" at y 35, OK at x 75 and キャンセル at x 135), not from controls the dialog has moved.
  open();
  auto units = [&](int x, int y) {
    RECT r{0, 0, x, y};
    MapDialogRect(dialog_, &r);
    return POINT{r.right, r.bottom};
  };
  const POINT button = units(40, 15), ok = units(50, 15);
  const EditorMetrics fromTemplate{button.x, button.y, units(0, 35).y - units(0, 10).y - button.y, ok.x,
                                   units(135, 0).x - units(75, 0).x - ok.x};
  for (SIZE size : {SIZE{700, 500}, SIZE{420, 330}}) {
    SetWindowPos(dialog_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    pump();
    RECT client;
    GetClientRect(dialog_, &client);
    auto where = [&](HWND w) {
      RECT r;
      GetWindowRect(w, &r);
      MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
      return r;
    };
    RECT list = where(programListView);
    EditorLayout want = editorLayout(fromTemplate, client.right, client.bottom);
    EXPECT_EQ(list.left, want.list.left);
    EXPECT_EQ(list.top, want.list.top);
    EXPECT_EQ(list.right, want.list.right);
    EXPECT_EQ(list.bottom, want.list.bottom);
    for (int k = 0; k < 6; ++k) {
      RECT b = where(GetDlgItem(dialog_, IDC_PROGRAM_UP + k));
      EXPECT_EQ(b.left, want.sideButtons[k].x) << k;
      EXPECT_EQ(b.top, want.sideButtons[k].y) << k;
      EXPECT_EQ(b.right - b.left, fromTemplate.buttonWidth) << k;
    }
    const int bottom[3] = {IDOK, IDCANCEL, IDC_PROGRAM_APPLY};
    for (int k = 0; k < 3; ++k) {
      RECT b = where(GetDlgItem(dialog_, bottom[k]));
      EXPECT_EQ(b.left, want.bottomButtons[k].x) << k;
      EXPECT_EQ(b.top, want.bottomButtons[k].y) << k;
    }
  }
}

TEST_F(Editor, OnAScreenOfAnotherDpiTheGapsAndColumnsScaleInTheSuggestedRectangle) {
  open();
  auto screen = [&](int id) {
    RECT r;
    GetWindowRect(GetDlgItem(dialog_, id), &r);
    return r;
  };
  const int verticalGap = screen(IDC_PROGRAM_DOWN).top - screen(IDC_PROGRAM_UP).bottom;
  const int horizontalGap = screen(IDCANCEL).left - screen(IDOK).right;
  ASSERT_EQ(ListView_GetColumnWidth(programListView, 0), 100);  // this prefix runs at 96 DPI

  RECT suggested{40, 30, 40 + 720, 30 + 540};
  SendMessageW(dialog_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  pump();
  RECT now;
  GetWindowRect(dialog_, &now);
  EXPECT_TRUE(EqualRect(&now, &suggested));
  const int widths[4] = {150, 300, 113, 750};  // MulDiv rounds 112.5 up
  for (int c = 0; c < 4; ++c) EXPECT_EQ(ListView_GetColumnWidth(programListView, c), widths[c]) << c;
  EXPECT_EQ(screen(IDC_PROGRAM_DOWN).top - screen(IDC_PROGRAM_UP).bottom, MulDiv(verticalGap, 144, 96));
  EXPECT_EQ(screen(IDCANCEL).left - screen(IDOK).right, MulDiv(horizontalGap, 144, 96));
  RECT list;
  GetWindowRect(programListView, &list);
  EXPECT_EQ(screen(IDC_PROGRAM_UP).left - list.right, MulDiv(horizontalGap, 144, 96));
}

TEST_F(Editor, WithoutSelectionOnlyAddOpensTheStepEditor) {
  ASSERT_TRUE(writeSlot(0, L"5\n"));
  open();
  auto cancel = [](HWND step) { pressIn(step, IDCANCEL); };
  EXPECT_EQ(withStepEditor(IDC_PROGRAM_EDIT, cancel, 500), L"");
  EXPECT_EQ(withStepEditor(IDC_PROGRAM_INSERT, cancel, 500), L"");
  EXPECT_EQ(withStepEditor(IDC_PROGRAM_ADD, [&](HWND step) {
              captionOf(step);
              pressIn(step, IDCANCEL);
            }),
            L"追加");
  EXPECT_EQ(rows().size(), 1u);
}

TEST_F(Editor, AddStartsWithTheDefaultsAndAppends) {
  ASSERT_TRUE(writeSlot(0, L"5\tx\t1\ty\n"));
  open();
  select(0);
  std::wstring wait, sound, message;
  int repeat = -1;
  withStepEditor(IDC_PROGRAM_ADD, [&](HWND step) {
    wait = item(step, IDC_STEP_WAIT);
    sound = item(step, IDC_STEP_SOUND);
    message = item(step, IDC_STEP_MESSAGE);
    repeat = (int)SendDlgItemMessageW(step, IDC_STEP_REPEAT, BM_GETCHECK, 0, 0);
    pressIn(step, IDOK);
  });
  EXPECT_EQ(wait, L"1000");
  EXPECT_EQ(sound, L"alarm.wav");
  EXPECT_EQ(message, L"");
  EXPECT_EQ(repeat, BST_UNCHECKED);
  std::vector<RowText> expected = {{L"5", L"x", L"有", L"y"}, {L"1000", L"alarm.wav", L"無", L""}};
  EXPECT_EQ(rows(), expected);
}

TEST_F(Editor, InsertPutsTheNewStepAboveTheSelectedOneWhichStaysSelected) {
  ASSERT_TRUE(writeSlot(0, L"1\n2\n3\n4\n"));
  open();
  select(2);
  EXPECT_EQ(withStepEditor(IDC_PROGRAM_INSERT, [&](HWND step) {
              captionOf(step);
              setItem(step, IDC_STEP_WAIT, L"777");
              setItem(step, IDC_STEP_MESSAGE, L"新しい\r\n手順");
              SendDlgItemMessageW(step, IDC_STEP_REPEAT, BM_SETCHECK, BST_CHECKED, 0);
              pressIn(step, IDOK);
            }),
            L"挿入");
  std::vector<std::wstring> expected = {L"1", L"2", L"777", L"3", L"4"};
  EXPECT_EQ(waits(), expected);
  EXPECT_EQ(rows()[2], (RowText{L"777", L"alarm.wav", L"有", L"新しい\\n手順"}));
  EXPECT_EQ(selectedRow(programListView), 3);
}

TEST_F(Editor, EditShowsLineBreaksAndBackslashesPlainAndStoresThemEscapedAgain) {
  ASSERT_TRUE(writeSlot(0, L"1500\tc:\\\\sounds\\\\a.wav\t1\t一行目\\n二行目 c:\\\\x\n"));
  open();
  select(0);
  const RowText before = rows()[0];
  std::wstring shown, sound;
  int repeat = -1;
  EXPECT_EQ(withStepEditor(IDC_PROGRAM_EDIT, [&](HWND step) {
              captionOf(step);
              shown = item(step, IDC_STEP_MESSAGE);
              sound = item(step, IDC_STEP_SOUND);
              repeat = (int)SendDlgItemMessageW(step, IDC_STEP_REPEAT, BM_GETCHECK, 0, 0);
              pressIn(step, IDOK);
            }),
            L"編集");
  EXPECT_EQ(shown, L"一行目\r\n二行目 c:\\x");
  EXPECT_EQ(sound, L"c:\\\\sounds\\\\a.wav");  // paths are not escaped
  EXPECT_EQ(repeat, BST_CHECKED);
  EXPECT_EQ(rows()[0], before);

  withStepEditor(IDC_PROGRAM_EDIT, [&](HWND step) {
    setItem(step, IDC_STEP_MESSAGE, L"a\\b");
    pressIn(step, IDOK);
  });
  EXPECT_EQ(rows()[0].message, L"a\\\\b");
  EXPECT_EQ(selectedRow(programListView), 0);
}

TEST_F(Editor, OkBringsTheWaitIntoRange) {
  struct Case {
    const wchar_t* typed;
    const wchar_t* stored;
  };
  const Case cases[] = {
      {L"", L"1"},          {L"0", L"1"},
      {L"1", L"1"},         {L"1500", L"1500"},
      {L"4294967295", L"4294967295"}, {L"4294967296", L"4294967295"},
      {L"99999999999999999999", L"4294967295"},
  };
  open();
  for (const Case& c : cases) {
    withStepEditor(IDC_PROGRAM_ADD, [&](HWND step) {
      setItem(step, IDC_STEP_WAIT, c.typed);
      pressIn(step, IDOK);
    });
    EXPECT_EQ(rows().back().wait, c.stored) << testing::PrintToString(std::wstring(c.typed));
  }
  // Cancel adds nothing.
  size_t count = rows().size();
  withStepEditor(IDC_PROGRAM_ADD, [&](HWND step) { pressIn(step, IDCANCEL); });
  EXPECT_EQ(rows().size(), count);

  wchar_t out[64];
  normalisedWaitText(0.5, out, 64);
  EXPECT_STREQ(out, L"1");
  normalisedWaitText(1e300, out, 64);
  EXPECT_STREQ(out, L"4294967295");
}

TEST_F(Editor, UpDownStepsByOneThousandWithinTheLimits) {
  struct Case {
    double before;
    int delta;
    double after;
  };
  const Case cases[] = {
      {1000, -1, 2000},           {0, -1, 1000},
      {4294966295.0, -1, 4294967295.0}, {4294966296.0, -1, 4294967295.0},
      {5e12, -1, 4294967295.0},   {1000, 1, 1},
      {1001, 1, 1},               {1002, 1, 2},
      {0, 1, 1},                  {4294967295.0, 1, 4294966295.0},
  };
  for (const Case& c : cases) EXPECT_EQ(stepWaitAfterDelta(c.before, c.delta), c.after) << c.before << " " << c.delta;

  // Through the real control: the arrow keys of the buddy edit send UDN_DELTAPOS.
  open();
  std::vector<std::wstring> seen;
  withStepEditor(IDC_PROGRAM_ADD, [&](HWND step) {
    HWND edit = GetDlgItem(step, IDC_STEP_WAIT);
    HWND spin = GetDlgItem(step, IDC_STEP_WAIT_SPIN);
    auto click = [&](int delta) {
      NMUPDOWN change{};
      change.hdr.hwndFrom = spin;
      change.hdr.idFrom = IDC_STEP_WAIT_SPIN;
      change.hdr.code = UDN_DELTAPOS;
      change.iDelta = delta;
      SendMessageW(step, WM_NOTIFY, IDC_STEP_WAIT_SPIN, (LPARAM)&change);
      seen.push_back(text(edit));
    };
    click(-1);
    click(1);
    click(1);
    SetWindowTextW(edit, L"4294966500");
    click(-1);
    SetWindowTextW(edit, L"");
    click(-1);
    SendMessageW(edit, WM_KEYDOWN, VK_UP, 0);
    SendMessageW(edit, WM_KEYUP, VK_UP, 0);
    seen.push_back(text(edit));
    pressIn(step, IDCANCEL);
  });
  std::vector<std::wstring> expected = {L"2000", L"1000", L"1", L"4294967295", L"1000", L"2000"};
  EXPECT_EQ(seen, expected);
}

class Rename : public ProgramFolder {
 protected:
  HWND open() {
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_RENAME), nullptr, renameDialogProc, 0);
  }
  std::wstring iniName(int slot) {
    wchar_t key[16], value[256];
    swprintf_s(key, 16, L"NAME_%d", slot);
    GetPrivateProfileStringW(L"PROGRAM_TIMER", key, L"<missing>", value, 256, settingsFilePath);
    return value;
  }
};

TEST_F(Rename, ShowsTheNameOrTheSlotAndStoresWhatOkFinds) {
  PROGRAM_TIMER_NO = 3;
  HWND dialog = open();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(text(dialog), L"名前を変更");
  EXPECT_EQ(item(dialog, IDC_RENAME_EDIT), L"プログラム_3");
  setItem(dialog, IDC_RENAME_EDIT, L"夕方の運動");
  SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_STREQ(programTimerNames[3], L"");
  EXPECT_EQ(iniName(3), L"<missing>");
  DestroyWindow(dialog);

  dialog = open();
  setItem(dialog, IDC_RENAME_EDIT, L"夕方の運動");
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_STREQ(programTimerNames[3], L"夕方の運動");
  EXPECT_EQ(iniName(3), L"夕方の運動");
  DestroyWindow(dialog);

  // The box takes at most 127 units; an empty text gives the slot's default name back.
  dialog = open();
  EXPECT_EQ(item(dialog, IDC_RENAME_EDIT), L"夕方の運動");
  SendDlgItemMessageW(dialog, IDC_RENAME_EDIT, WM_SETTEXT, 0, (LPARAM)std::wstring(300, L'長').c_str());
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(std::wstring(programTimerNames[3]), std::wstring(127, L'長'));
  DestroyWindow(dialog);
  dialog = open();
  setItem(dialog, IDC_RENAME_EDIT, L"");
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_STREQ(programTimerNames[3], L"");
  DestroyWindow(dialog);
  dialog = open();
  EXPECT_EQ(item(dialog, IDC_RENAME_EDIT), L"プログラム_3");
  DestroyWindow(dialog);
}

}  // namespace
