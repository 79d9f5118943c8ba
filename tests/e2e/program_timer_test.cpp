// Program timers through the real program: running one with F8, the editor and step editor,
// renaming and moving slots with the menu's commands.
#include <gtest/gtest.h>

#include <string>

#include "velmora_harness.h"

using e2e::VelmoraProcess;

namespace {

std::wstring slotFile(int slot) {
  return e2e::currentUserName() + L"_program_timer_" + std::to_wstring(slot) + L".txt";
}
const std::wstring kRunningTitle = L"プログラムタイマー作動中 - Velmora";
const std::wstring kLoadError = L"アラームファイルの読み込みエラー - Velmora";

// Names a capture beside the test folders (kept after the run, for looking at).
std::wstring picturePath(const VelmoraProcess& app, const std::wstring& name) {
  return app.directory() + L"\\..\\velmora-" + name + L".bmp";
}

// An edit box's text in another process: GetWindowTextW does not ask the control there.
std::wstring controlText(HWND control) {
  wchar_t text[512] = L"";
  SendMessageW(control, WM_GETTEXT, 512, (LPARAM)text);
  return text;
}

std::wstring dialogList(const VelmoraProcess& app) {
  std::wstring out;
  for (HWND box : app.dialogs())
    out += VelmoraProcess::caption(box) + L": " + VelmoraProcess::messageBoxText(box) + L"\n";
  return out;
}

void closeAllDialogs(const VelmoraProcess& app) {
  for (HWND box : app.dialogs()) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  for (HWND box : app.dialogs()) PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(ProgramTimerRun, StepsRunInOrderWithOpenBoxesNotHoldingUpAndTheRepeatCaptionOnThePass) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(L"[PROGRAM_TIMER]\r\nNO=2\r\nLOOP=1\r\n"));
  // The first step's sound path has a double quote: it never reaches the media command line,
  // it is refused like a file that cannot be opened.
  ASSERT_TRUE(app.writeUtf16File(slotFile(2), L"1500\tbad\" alias x.wav\t0\t最初の手順\r\n"
                                              L"1000\t\t0\t次の手順\\n二行目\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.key(VK_F8));
  EXPECT_TRUE(app.waitForTitle(kRunningTitle, 3000)) << app.title();

  HWND first = app.waitForMessageBox(L"最初の手順", 4000);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(VelmoraProcess::caption(first), L"Velmora");
  HWND loadError = app.waitForDialog(kLoadError, 3000);
  EXPECT_NE(loadError, nullptr);
  // The second step was already counting while the first box stays open.
  EXPECT_TRUE(app.waitForTitle(kRunningTitle, 1000)) << app.title();
  HWND second = app.waitForMessageBox(L"次の手順\r\n二行目", 3000);
  ASSERT_NE(second, nullptr);
  // Neither open box held the second step up: both are still open as its box comes.
  EXPECT_TRUE(IsWindowVisible(first));
  if (loadError) {
    EXPECT_TRUE(IsWindowVisible(loadError));
  }
  EXPECT_EQ(VelmoraProcess::caption(second), L"Velmora");
  VelmoraProcess::pressButton(first, IDOK);
  VelmoraProcess::pressButton(second, IDOK);
  if (loadError) VelmoraProcess::pressButton(loadError, IDOK);
  ASSERT_TRUE(VelmoraProcess::waitForGone(first));

  // Second pass: step 0 again, with the pass in the caption.
  HWND again = app.waitForMessageBox(L"最初の手順", 4000);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(VelmoraProcess::caption(again), L"繰り返し 2 回目 - Velmora");
  EXPECT_EQ(app.iniInt(L"PROGRAM_TIMER", L"STEP", -1), 1);
  EXPECT_EQ(app.iniInt(L"TIMER", L"TYPE", -1), 2);
  EXPECT_EQ(app.iniInt(L"TIMER", L"LOOP_CNT", -1), 1);
  closeAllDialogs(app);
}

TEST(ProgramTimerRun, StoppingDuringAStepShowsNothingForThatStep) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeUtf16File(slotFile(0), L"1500\tmissing.wav\t0\t表示されない\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.key(VK_F8));
  ASSERT_TRUE(app.waitForTitle(kRunningTitle, 3000)) << app.title();
  ASSERT_TRUE(app.key(VK_F5));
  HWND question = app.waitForMessageBox(L"タイマーを終了しますか？", 3000);
  ASSERT_NE(question, nullptr);
  VelmoraProcess::pressButton(question, IDYES);
  EXPECT_TRUE(app.waitForTitle(L"Velmora", 3000)) << app.title();
  Sleep(2000);
  EXPECT_EQ(app.findMessageBox(L"表示されない"), nullptr);
  EXPECT_EQ(app.findDialog(kLoadError), nullptr);
  // Only the stop's own notice is left.
  HWND stopped = app.findMessageBox(L"タイマーを終了しました");
  EXPECT_EQ(app.dialogs().size(), stopped ? 1u : 0u) << testing::PrintToString(dialogList(app));
  EXPECT_EQ(app.iniString(L"TIMER", L"RESUME"), L"0");
}

TEST(ProgramTimerRun, StartingOverARunningTimerAsksFirst) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(L"[TIMER_SETTING]\r\nHOUR=0\r\nMIN=5\r\nSEC=0\r\n"));
  ASSERT_TRUE(app.writeUtf16File(slotFile(0), L"60000\t\t0\tx\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.key(VK_F5));
  if (HWND notice = app.waitForMessageBox(L"カウントダウンスタート", 2000)) VelmoraProcess::pressButton(notice, IDOK);
  ASSERT_TRUE(app.waitForTitle(L"間隔指定タイマー作動中 - Velmora", 3000)) << app.title();

  for (int answer : {IDNO, IDYES}) {
    ASSERT_TRUE(app.key(VK_F8));
    HWND question = app.waitForMessageBox(L"タイマーが作動中ですがいいですか？", 3000);
    ASSERT_NE(question, nullptr);
    VelmoraProcess::pressButton(question, answer);
    ASSERT_TRUE(VelmoraProcess::waitForGone(question));
    if (answer == IDNO) {
      Sleep(500);
      EXPECT_EQ(app.title(), L"間隔指定タイマー作動中 - Velmora");
    }
  }
  EXPECT_TRUE(app.waitForTitle(kRunningTitle, 3000)) << app.title();
  EXPECT_EQ(app.iniInt(L"TIMER", L"TYPE", -1), 2);
}

TEST(ProgramTimerRun, EmptyOrMissingProgramIsNotSetUp) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeUtf16File(slotFile(1), L"0\tx.wav\t0\tskipped\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  for (WORD select : {WORD(91), WORD(95)}) {  // a file without steps, then no file at all
    ASSERT_TRUE(app.command(select));
    ASSERT_TRUE(app.key(VK_F8));
    HWND box = app.waitForMessageBox(L"プログラムタイマーが正しく設定されていません", 3000);
    ASSERT_NE(box, nullptr) << select;
    EXPECT_EQ(VelmoraProcess::caption(box), L"Velmora");
    VelmoraProcess::pressButton(box, IDOK);
    ASSERT_TRUE(VelmoraProcess::waitForGone(box));
    EXPECT_EQ(app.title(), L"Velmora");
  }
  EXPECT_EQ(app.iniInt(L"PROGRAM_TIMER", L"NO", -1), 5);
}

TEST(ProgramTimerSlots, MovingSwapsFilesAndNamesAndKeepsTheSameTimerSelected) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(L"[PROGRAM_TIMER]\r\nNAME_3=三番\r\nNAME_4=四番\r\n"));
  ASSERT_TRUE(app.writeUtf16File(slotFile(3), L"3000\r\n"));
  ASSERT_TRUE(app.writeUtf16File(slotFile(4), L"4000\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();

  ASSERT_TRUE(app.command(93));
  ASSERT_TRUE(app.command(10));  // ↓
  ASSERT_TRUE(e2e::waitFor([&] { return app.iniInt(L"PROGRAM_TIMER", L"NO") == 4; }, 3000));
  EXPECT_EQ(app.readText(slotFile(4)), L"3000\r\n");
  EXPECT_EQ(app.readText(slotFile(3)), L"4000\r\n");
  EXPECT_EQ(app.iniString(L"PROGRAM_TIMER", L"NAME_4"), L"三番");
  EXPECT_EQ(app.iniString(L"PROGRAM_TIMER", L"NAME_3"), L"四番");

  ASSERT_TRUE(app.command(9));  // ↑ takes it back
  ASSERT_TRUE(e2e::waitFor([&] { return app.iniInt(L"PROGRAM_TIMER", L"NO") == 3; }, 3000));
  EXPECT_EQ(app.readText(slotFile(3)), L"3000\r\n");
  EXPECT_EQ(app.iniString(L"PROGRAM_TIMER", L"NAME_3"), L"三番");

  // Only one of the two files: that one moves, the names still swap.
  ASSERT_TRUE(app.command(93));
  ASSERT_TRUE(app.command(9));
  ASSERT_TRUE(e2e::waitFor([&] { return app.iniInt(L"PROGRAM_TIMER", L"NO") == 2; }, 3000));
  EXPECT_EQ(app.readText(slotFile(2)), L"3000\r\n");
  EXPECT_FALSE(app.fileExists(slotFile(3)));
  EXPECT_EQ(app.iniString(L"PROGRAM_TIMER", L"NAME_2"), L"三番");
  EXPECT_EQ(app.iniString(L"PROGRAM_TIMER", L"NAME_3"), L"");

  // The ends: nothing happens and nothing is shown.
  for (WORD select : {WORD(90), WORD(99)}) {
    ASSERT_TRUE(app.command(select));
    ASSERT_TRUE(app.command(select == 90 ? 9 : 10));
  }
  Sleep(500);
  EXPECT_TRUE(app.dialogs().empty());
  EXPECT_EQ(app.iniInt(L"PROGRAM_TIMER", L"NO"), 9);

  // A temporary file left by an interrupted move of an older version (nothing says where it
  // came from) is kept: the move is refused with its path, and files, names and selection stay.
  std::wstring temporary = e2e::currentUserName() + L"_program_timer.tmp";
  ASSERT_TRUE(app.writeUtf16File(temporary, L"77\r\n"));
  ASSERT_TRUE(app.command(92));
  ASSERT_TRUE(e2e::waitFor([&] { return app.iniInt(L"PROGRAM_TIMER", L"NO") == 2; }, 3000));
  ASSERT_TRUE(app.command(9));  // slot 1 has no file
  HWND kept = app.waitForMessageBox(
      L"中断された移動の一時ファイルが残っているため、プログラムタイマーを移動できません。\n"
      L"一時ファイルはそのまま残してあります。\n" + app.path(temporary), 3000);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(VelmoraProcess::caption(kept), L"Velmora");
  VelmoraProcess::pressButton(kept, IDOK);
  EXPECT_EQ(app.iniInt(L"PROGRAM_TIMER", L"NO"), 2);
  EXPECT_EQ(app.readText(slotFile(2)), L"3000\r\n");
  EXPECT_FALSE(app.fileExists(slotFile(1)));
  EXPECT_EQ(app.iniString(L"PROGRAM_TIMER", L"NAME_2"), L"三番");
  EXPECT_EQ(app.readText(temporary), L"77\r\n");
}

TEST(ProgramTimerDialogs, EditorAndStepEditorSaveWhatTheUserEntered) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(L"[PROGRAM_TIMER]\r\nNAME_1=朝の準備\r\n"));
  ASSERT_TRUE(app.writeUtf16File(slotFile(1), L"300000\tアラーム.wav\t1\t歯を磨く\\n顔を洗う\r\n"
                                              L"600000\t\t0\t朝ごはんの時間です\r\n"
                                              L"1500\tsecond.wav\t0\t\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.command(94));
  ASSERT_TRUE(app.command(6));
  HWND editor = app.waitForDialog(L"「プログラム_4」を編集 - Velmora");
  ASSERT_NE(editor, nullptr);
  PostMessageW(editor, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(VelmoraProcess::waitForGone(editor));

  ASSERT_TRUE(app.command(91));
  ASSERT_TRUE(app.command(6));
  editor = app.waitForDialog(L"「朝の準備」を編集 - Velmora");
  ASSERT_NE(editor, nullptr);
  Sleep(300);
  e2e::captureClient(editor).saveBmp(picturePath(app, L"program-editor-small"));
  SetWindowPos(editor, nullptr, 20, 20, 860, 460, SWP_NOZORDER);
  Sleep(300);
  e2e::captureClient(editor).saveBmp(picturePath(app, L"program-editor-large"));

  PostMessageW(editor, WM_COMMAND, 1049, 0);  // 追加
  HWND step = app.waitForDialog(L"追加");
  ASSERT_NE(step, nullptr);
  SetWindowTextW(GetDlgItem(step, 1053), L"90000");
  SetWindowTextW(GetDlgItem(step, 1057), L"片付けを\r\n始めましょう");
  SendMessageW(GetDlgItem(step, 1044), BM_SETCHECK, BST_CHECKED, 0);
  // "..." opens the sound chooser; its choice lands in the path box.
  VelmoraProcess::pressButton(step, 1056);
  HWND chooser = app.waitForDialog(L"音声ファイル指定");
  ASSERT_NE(chooser, nullptr);
  const std::wstring chosen = app.path(L"second.wav");
  SetWindowTextW(GetDlgItem(chooser, 0x47C), chosen.c_str());
  VelmoraProcess::pressButton(chooser, IDOK);
  ASSERT_TRUE(VelmoraProcess::waitForGone(chooser));
  EXPECT_EQ(controlText(GetDlgItem(step, 1055)), chosen);
  SetWindowTextW(GetDlgItem(step, 1055), L"alarm.wav");
  Sleep(300);
  e2e::captureClient(step).saveBmp(picturePath(app, L"step-editor"));
  VelmoraProcess::pressButton(step, IDOK);
  ASSERT_TRUE(VelmoraProcess::waitForGone(step));

  VelmoraProcess::pressButton(editor, 1052);  // 適用: saved, still open
  ASSERT_TRUE(e2e::waitFor([&] { return app.readText(slotFile(1)).find(L"90000") != std::wstring::npos; }, 3000));
  EXPECT_TRUE(IsWindow(editor));
  VelmoraProcess::pressButton(editor, IDOK);
  ASSERT_TRUE(VelmoraProcess::waitForGone(editor));
  EXPECT_EQ(app.readText(slotFile(1)),
            L"300000\tアラーム.wav\t1\t歯を磨く\\n顔を洗う\r\n"
            L"600000\t\t0\t朝ごはんの時間です\r\n"
            L"1500\tsecond.wav\t0\t\r\n"
            L"90000\talarm.wav\t1\t片付けを\\n始めましょう\r\n");
  EXPECT_EQ(app.readBytes(slotFile(1)).substr(0, 2), "\xFF\xFE");
  EXPECT_FALSE(app.fileExists(slotFile(1) + L".new"));

  // Rename through dialog 209.
  ASSERT_TRUE(app.command(8));
  HWND rename = app.waitForDialog(L"名前を変更");
  ASSERT_NE(rename, nullptr);
  EXPECT_EQ(controlText(GetDlgItem(rename, 1045)), L"朝の準備");
  SetWindowTextW(GetDlgItem(rename, 1045), L"朝の支度");
  VelmoraProcess::pressButton(rename, IDOK);
  ASSERT_TRUE(VelmoraProcess::waitForGone(rename));
  EXPECT_EQ(app.iniString(L"PROGRAM_TIMER", L"NAME_1"), L"朝の支度");
}

}  // namespace
