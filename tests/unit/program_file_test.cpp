// Program timer files read and written through the real file functions, with the escaping of
// messages and the file renames of moving a slot.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "program_test_support.h"
#include "programs/program_file.h"
#include "tests/support/start_program.h"
#include "tray_test_support.h"

namespace {

using program_test::ProgramFolder;
using program_test::asCrLf;

struct Step {
  uint32_t wait;
  std::wstring sound;
  int repeat;
  std::wstring message;
};

std::vector<Step> steps(const ProgramStep* list) {
  std::vector<Step> out;
  for (int i = 0; list && list[i].waitMs != 0; ++i)
    out.push_back({list[i].waitMs, list[i].soundFile, list[i].repeat, list[i].message});
  return out;
}

class ProgramFile : public ProgramFolder {
 protected:
  std::vector<Step> load(int slot = 0) {
    PROGRAM_TIMER_NO = slot;
    status_ = loadProgramSteps(&holder_);
    return steps(holder_);
  }
  void TearDown() override {
    if (holder_) HeapFree(GetProcessHeap(), 0, holder_);
    ProgramFolder::TearDown();
  }
  ProgramStep* holder_ = nullptr;
  ProgramLoad status_ = ProgramLoad::Whole;
};

TEST_F(ProgramFile, LinesAreReadFieldByFieldAndBadWaitsAreSkipped) {
  struct Case {
    const wchar_t* line;
    bool kept;
    Step step;
  };
  const std::wstring longSound(600, L's');
  const std::wstring longMessage(300, L'm');
  const Case cases[] = {
      {L"0\ta.wav\t1\tzero", false, {}},
      {L"-5\ta.wav\t1\tnegative", false, {}},
      {L"abc\ta.wav\t1\tnot a number", false, {}},
      {L"0.5\ta.wav\t1\tbelow one ms", false, {}},
      {L"\ta.wav\t1\tno wait", false, {}},
      {L"1500.9\ta.wav\t1\tx", true, {1500, L"a.wav", 1, L"x"}},
      {L"2000", true, {2000, L"", 0, L""}},
      {L"3000\tc.wav", true, {3000, L"c.wav", 0, L""}},
      {L"4000\tc.wav\t7", true, {4000, L"c.wav", 7, L""}},
      {L"  42\t\t0\t", true, {42, L"", 0, L""}},
      {L"1e3\tsub\\dir\\b.mp3\t0\ty", true, {1000, L"sub\\dir\\b.mp3", 0, L"y"}},
      {L"10\ts\t1\tone\ttwo\tthree", true, {10, L"s", 1, L"three"}},
      {L"10\ts\t1\ta\\nb", true, {10, L"s", 1, L"a\r\nb"}},
      {L"10\ts\t1\tc:\\\\x", true, {10, L"s", 1, L"c:\\x"}},
      {L"10\ts\t1\t\\t", true, {10, L"s", 1, L"\\t"}},
      {L"10\ts\t1\tend\\", true, {10, L"s", 1, L"end\\"}},
      {L"10\ts\t1\t\\N\\\\n", true, {10, L"s", 1, L"\\N\\n"}},
      {L"10\t音声\\アラーム.wav\t0\t休憩です", true, {10, L"音声\\アラーム.wav", 0, L"休憩です"}},
      {L"99999999999\tbig\t0\t", true, {4294967295u, L"big", 0, L""}},
      {L"4294967295\tmax\t0\t", true, {4294967295u, L"max", 0, L""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "line " << testing::PrintToString(std::wstring(c.line)));
    ASSERT_TRUE(writeSlot(0, std::wstring(c.line) + L"\n"));
    std::vector<Step> got = load();
    if (!c.kept) {
      EXPECT_TRUE(got.empty());
      continue;
    }
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].wait, c.step.wait);
    EXPECT_EQ(got[0].sound, c.step.sound);
    EXPECT_EQ(got[0].repeat, c.step.repeat);
    EXPECT_EQ(got[0].message, c.step.message);
  }

  // Over-long fields are cut to what a step holds.
  ASSERT_TRUE(writeSlot(0, L"5\t" + longSound + L"\t0\t" + longMessage + L"\n"));
  std::vector<Step> got = load();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].sound, longSound.substr(0, 511));
  EXPECT_EQ(got[0].message, longMessage.substr(0, 255));
}

TEST_F(ProgramFile, AWaitBelowOneMillisecondNoLongerEndsTheList) {
  ASSERT_TRUE(writeSlot(0, L"1000\ta\t0\tfirst\n0.5\tb\t0\thalf\n2000\tc\t0\tthird\n"));
  std::vector<Step> got = load();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].message, L"first");
  EXPECT_EQ(got[1].message, L"third");
}

TEST_F(ProgramFile, ManyStepsGrowTheBlockAndAreAllKeptInOrder) {
  for (int count : {63, 64, 65, 200}) {
    std::wstring text;
    for (int i = 1; i <= count; ++i) text += std::to_wstring(i) + L"\ts" + std::to_wstring(i) + L"\t0\tm\n";
    ASSERT_TRUE(writeSlot(0, text));
    std::vector<Step> got = load();
    ASSERT_EQ(int(got.size()), count);
    for (int i = 0; i < count; ++i) {
      EXPECT_EQ(got[i].wait, uint32_t(i + 1));
      EXPECT_EQ(got[i].sound, L"s" + std::to_wstring(i + 1));
    }
    EXPECT_EQ(programStepCount(holder_), count);
  }
}

TEST_F(ProgramFile, MissingFileGivesAnEmptyListAlsoInAHolderThatHadSteps) {
  EXPECT_TRUE(load(3).empty());
  EXPECT_EQ(status_, ProgramLoad::Whole);
  ASSERT_NE(holder_, nullptr);
  EXPECT_EQ(holder_[0].waitMs, 0u);

  ASSERT_TRUE(writeSlot(3, L"100\n200\n"));
  EXPECT_EQ(load(3).size(), 2u);
  // A file that is there but cannot be opened is not an empty program timer.
  HANDLE held = CreateFileW(slotPath(3).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(load(3).empty());
  EXPECT_EQ(status_, ProgramLoad::Unreadable);
  CloseHandle(held);
  ASSERT_TRUE(DeleteFileW(slotPath(3).c_str()));
  EXPECT_TRUE(load(3).empty());
  EXPECT_EQ(status_, ProgramLoad::Whole);
  EXPECT_EQ(programStepCount(nullptr), 0);
}

TEST_F(ProgramFile, EncodingsOtherThanUtf16WithMarkAreReadToo) {
  const std::wstring text = L"1500\tアラーム.wav\t1\t準備\\nよし\r\n700\t\t0\t\r\n";
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"UTF-16LE without mark", utf16(text, false)},
      {"UTF-8 with mark", "\xEF\xBB\xBF" + utf8(text)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(writeBytes(slotName(0), c.bytes));
    std::vector<Step> got = load();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].wait, 1500u);
    EXPECT_EQ(got[0].sound, L"アラーム.wav");
    EXPECT_EQ(got[0].repeat, 1);
    EXPECT_EQ(got[0].message, L"準備\r\nよし");
    EXPECT_EQ(got[1].wait, 700u);
  }
}

TEST_F(ProgramFile, HostileFilesLoadWithoutHarm) {
  // Random bytes, with a fixed start value so a failure can be repeated.
  std::mt19937 random(20261208);
  for (int round = 0; round < 20; ++round) {
    std::string bytes(size_t(random() % 5000), '\0');
    for (char& b : bytes) b = char(random());
    if (round % 2) bytes.insert(0, "\xFF\xFE");
    ASSERT_TRUE(writeBytes(slotName(0), bytes));
    for (const Step& s : load()) {
      EXPECT_GE(s.wait, 1u);
      EXPECT_LT(s.sound.size(), 512u);
      EXPECT_LT(s.message.size(), 256u);
    }
  }

  // One line of 100,000 characters is read in pieces of at most 1023; each piece is a line.
  std::wstring line = L"12\tx\t0\t" + std::wstring(100000, L'z');
  ASSERT_TRUE(writeSlot(0, line + L"\n"));
  std::vector<Step> got = load();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].wait, 12u);
  EXPECT_EQ(got[0].message, std::wstring(255, L'z'));

  // A million short lines: the list stops at its step limit instead of taking all memory.
  std::wstring many;
  many.reserve(2000000);
  for (int i = 0; i < 1000000; ++i) many += L"1\n";
  ASSERT_TRUE(writeBytes(slotName(0), utf16(many)));
  DWORD started = GetTickCount();
  got = load();
  EXPECT_EQ(int(got.size()), maxProgramSteps);
  EXPECT_EQ(status_, ProgramLoad::Cut);
  EXPECT_LT(GetTickCount() - started, 30000u);
}

TEST_F(ProgramFile, EscapingAndUnescapingFollowTheBackslashRules) {
  struct Case {
    const wchar_t* plain;
    const wchar_t* escaped;
  };
  const Case escapes[] = {
      {L"a\r\nb", L"a\\nb"},        {L"a\rb", L"a\\nb"},     {L"a\nb", L"a\\nb"},
      {L"\r\r\n\n", L"\\n\\n\\n"},  {L"c:\\x", L"c:\\\\x"},  {L"\\n", L"\\\\n"},
      {L"休憩\r\nです", L"休憩\\nです"}, {L"", L""},
  };
  for (const Case& c : escapes) {
    wchar_t text[256];
    wcscpy_s(text, c.plain);
    EXPECT_TRUE(escapeMessage(text, 256));
    EXPECT_STREQ(text, c.escaped);
  }
  const Case unescapes[] = {
      {L"a\r\nb", L"a\\nb"}, {L"c:\\x", L"c:\\\\x"}, {L"\\t", L"\\t"},  {L"end\\", L"end\\"},
      {L"\\N", L"\\N"},      {L"\\\r\n", L"\\\\\\n"}, {L"\\\\", L"\\\\\\\\"},
  };
  for (const Case& c : unescapes) {
    wchar_t text[256];
    wcscpy_s(text, c.escaped);
    unescapeMessage(text, 256);
    EXPECT_STREQ(text, c.plain) << testing::PrintToString(std::wstring(c.escaped));
  }

  // A result that does not fit is cut before the escape sequence that would overflow.
  wchar_t text[256];
  std::wstring backslashes(200, L'\\');
  wcscpy_s(text, backslashes.c_str());
  EXPECT_FALSE(escapeMessage(text, 256));
  EXPECT_EQ(std::wstring(text), std::wstring(254, L'\\'));
  std::wstring lines = std::wstring(254, L'a') + L"\n";
  wcscpy_s(text, lines.c_str());
  EXPECT_FALSE(escapeMessage(text, 256));
  EXPECT_EQ(std::wstring(text), std::wstring(254, L'a'));
}

struct Row {
  std::wstring wait, sound, repeat, message;
};

bool rowSource(void* context, int index, ProgramRowText* row) {
  const auto& rows = *static_cast<const std::vector<Row>*>(context);
  wcscpy_s(row->wait, rows[index].wait.c_str());
  wcscpy_s(row->sound, rows[index].sound.c_str());
  wcscpy_s(row->repeat, rows[index].repeat.c_str());
  wcscpy_s(row->message, rows[index].message.c_str());
  return true;
}

TEST_F(ProgramFile, WriterProducesUtf16WithMarkCrLfAndOneForTheRepeatMarkOnly) {
  std::vector<Row> rows = {
      {L"1000", L"alarm.wav", L"有", L"休憩\\nです"},
      {L"25", L"", L"無", L""},
      {L"7", L"b.wav", L"", L"x"},
  };
  ASSERT_TRUE(writeProgramTimerFile(slotPath(2).c_str(), int(rows.size()), rowSource, &rows));
  std::string expected = utf16(L"1000\talarm.wav\t1\t休憩\\nです\r\n25\t\t0\t\r\n7\tb.wav\t0\tx\r\n");
  EXPECT_EQ(readBytes(slotName(2)), expected);
  EXPECT_FALSE(exists(slotName(2) + L".new"));

  std::vector<Row> none;
  ASSERT_TRUE(writeProgramTimerFile(slotPath(2).c_str(), 0, rowSource, &none));
  EXPECT_EQ(readBytes(slotName(2)), std::string("\xFF\xFE", 2));
  EXPECT_TRUE(load(2).empty());
}

bool failingSource(void* context, int index, ProgramRowText* row) {
  if (index == 2) return false;  // as if the program died or the disk filled mid-write
  return rowSource(context, index, row);
}

TEST_F(ProgramFile, AFailedWriteLeavesTheOldFileAsItWas) {
  ASSERT_TRUE(writeSlot(1, L"5000\told.wav\t0\tkeep me\n"));
  const std::string before = readBytes(slotName(1));
  std::vector<Row> rows(4, Row{L"1", L"new.wav", L"無", L"new"});
  EXPECT_FALSE(writeProgramTimerFile(slotPath(1).c_str(), 4, failingSource, &rows));
  EXPECT_EQ(readBytes(slotName(1)), before);
  EXPECT_FALSE(exists(slotName(1) + L".new"));

  // A folder that does not exist: nothing is written anywhere.
  std::wstring nowhere = path(L"missing\\") + slotName(1);
  EXPECT_FALSE(writeProgramTimerFile(nowhere.c_str(), 4, rowSource, &rows));
  EXPECT_FALSE(exists(L"missing"));
}

// Stands in for FlushFileBuffers: notes what is on the disk at the moment of the flush.
struct FlushRecorder {
  static inline int calls = 0;
  static inline BOOL answer = TRUE;
  static inline bool handleFlushed = false;
  static inline std::wstring target, fresh;
  static inline std::string targetThen, freshThen;
  static std::string read(const std::wstring& file) {
    std::string out;
    HANDLE f = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<none>";
    char buf[4096];
    DWORD n;
    while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
    CloseHandle(f);
    return out;
  }
  static BOOL WINAPI flush(HANDLE file) {
    ++calls;
    handleFlushed = FlushFileBuffers(file) != FALSE;
    targetThen = read(target);
    freshThen = read(fresh);
    return answer;
  }
};

TEST_F(ProgramFile, TheNewContentIsOnTheDiskBeforeItReplacesTheOldFile) {
  ASSERT_TRUE(writeSlot(1, L"5000\told.wav\t0\tkeep me\n"));
  const std::string before = readBytes(slotName(1));
  std::vector<Row> rows = {{L"1000", L"a.wav", L"有", L"new"}};
  const std::string after = utf16(L"1000\ta.wav\t1\tnew\r\n");
  FlushRecorder::target = slotPath(1);
  FlushRecorder::fresh = slotPath(1) + L".new";
  flushFileToDisk = FlushRecorder::flush;
  for (BOOL answer : {FALSE, TRUE}) {
    SCOPED_TRACE(answer);
    FlushRecorder::calls = 0;
    FlushRecorder::answer = answer;
    EXPECT_EQ(writeProgramTimerFile(slotPath(1).c_str(), 1, rowSource, &rows), answer);
    EXPECT_EQ(FlushRecorder::calls, 1);
    EXPECT_TRUE(FlushRecorder::handleFlushed);
    EXPECT_EQ(FlushRecorder::targetThen, before);
    EXPECT_EQ(FlushRecorder::freshThen, after);
    // A flush that fails counts as a failed write: the old file stays.
    EXPECT_EQ(readBytes(slotName(1)), answer ? after : before);
    EXPECT_FALSE(exists(slotName(1) + L".new"));
  }
  flushFileToDisk = FlushFileBuffers;
}

TEST_F(ProgramFile, RandomMessagesComeBackThroughWriteAndLoad) {
  const wchar_t* pieces[] = {L"\r\n", L"\r", L"\n", L"\\", L"\\n", L"\\\\", L"a", L"Z", L" ", L"休憩",
                             L"アラーム", L"x\\t", L"。", L"1"};
  std::mt19937 random(5);
  std::vector<Row> rows;
  std::vector<std::wstring> plain;
  for (int i = 0; i < 80; ++i) {
    std::wstring message;
    int count = int(random() % 30);
    for (int k = 0; k < count; ++k) message += pieces[random() % std::size(pieces)];
    wchar_t escaped[256];
    wcscpy_s(escaped, message.substr(0, 100).c_str());
    ASSERT_TRUE(escapeMessage(escaped, 256));
    plain.push_back(message.substr(0, 100));
    rows.push_back({std::to_wstring(i + 1), L"音" + std::to_wstring(i) + L".wav", i % 2 ? L"有" : L"無", escaped});
  }
  ASSERT_TRUE(writeProgramTimerFile(slotPath(0).c_str(), int(rows.size()), rowSource, &rows));
  std::vector<Step> got = load();
  ASSERT_EQ(got.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "row " << i);
    EXPECT_EQ(got[i].wait, uint32_t(i + 1));
    EXPECT_EQ(got[i].sound, rows[i].sound);
    EXPECT_EQ(got[i].repeat, i % 2 ? 1 : 0);
    // Every kind of line break comes back as CR LF; everything else as it was.
    EXPECT_EQ(got[i].message, asCrLf(plain[i]));
    // The escaped text the editor shows is the one that was written.
    wchar_t again[256];
    wcscpy_s(again, got[i].message.c_str());
    escapeMessage(again, 256);
    EXPECT_EQ(std::wstring(again), rows[i].message);
  }
}

class ProgramMove : public ProgramFile {
 protected:
  void SetUp() override {
    ProgramFile::SetUp();
    wcscpy_s(programTimerNames[4], L"四");
    wcscpy_s(programTimerNames[5], L"五");
    writeSettingString(L"PROGRAM_TIMER", L"NAME_4", L"四");
    writeSettingString(L"PROGRAM_TIMER", L"NAME_5", L"五");
  }
  std::wstring key(const wchar_t* name) const {
    wchar_t value[300];
    GetPrivateProfileStringW(L"PROGRAM_TIMER", name, L"<missing>", value, 300, settingsFilePath);
    return value;
  }
  // The wait of the one step in a file, or 0 when the file is missing.
  uint32_t waitIn(const std::wstring& name) {
    if (!exists(name)) return 0;
    ProgramStep* list = nullptr;
    loadProgramStepsFrom(path(name).c_str(), &list);
    uint32_t wait = list[0].waitMs;
    HeapFree(GetProcessHeap(), 0, list);
    return wait;
  }
  // Slot 4 and 5 as the test expects them: files (by their wait, 0 for none), names in memory
  // and in the file, the selection, and no move left behind.
  void expectSlots(uint32_t four, uint32_t five, const wchar_t* name4, const wchar_t* name5, int selected) {
    EXPECT_EQ(waitIn(slotName(4)), four);
    EXPECT_EQ(waitIn(slotName(5)), five);
    EXPECT_STREQ(programTimerNames[4], name4);
    EXPECT_STREQ(programTimerNames[5], name5);
    EXPECT_EQ(key(L"NAME_4"), name4);
    EXPECT_EQ(key(L"NAME_5"), name5);
    EXPECT_EQ(PROGRAM_TIMER_NO, selected);
    EXPECT_EQ(key(L"MOVE"), L"<missing>");
  }
  const std::wstring tmp_ = L"tester_program_timer.tmp";
};

TEST_F(ProgramMove, FilesNamesAndSelectionChangePlacesTogether) {
  // Both files.
  ASSERT_TRUE(writeSlot(4, L"4\n"));
  ASSERT_TRUE(writeSlot(5, L"5\n"));
  PROGRAM_TIMER_NO = 4;
  EXPECT_EQ(moveProgramTimerSlot(4, 5), MoveResult::Moved);
  expectSlots(5, 4, L"五", L"四", 5);
  EXPECT_EQ(key(L"NO"), L"5");
  EXPECT_FALSE(exists(tmp_));

  // Only the selected slot's file, then only the neighbour's.
  ASSERT_TRUE(DeleteFileW(slotPath(4).c_str()));
  EXPECT_EQ(moveProgramTimerSlot(5, 4), MoveResult::Moved);
  expectSlots(4, 0, L"四", L"五", 4);
  EXPECT_EQ(moveProgramTimerSlot(5, 4), MoveResult::Moved);
  expectSlots(0, 4, L"五", L"四", 4);
}

TEST_F(ProgramMove, ALeftoverTemporaryFileOfUnknownOriginIsKeptAndNothingMoves) {
  ASSERT_TRUE(writeSlot(4, L"4\n"));
  ASSERT_TRUE(writeBytes(tmp_, utf16(L"99\r\n")));
  PROGRAM_TIMER_NO = 4;
  // With and without a file in the neighbour's slot: the leftover is neither overwritten nor
  // given a slot's name.
  for (bool neighbour : {false, true}) {
    SCOPED_TRACE(neighbour);
    if (neighbour) {
      ASSERT_TRUE(writeSlot(5, L"5\n"));
    }
    EXPECT_EQ(moveProgramTimerSlot(4, 5), MoveResult::LeftoverKept);
    expectSlots(4, neighbour ? 5 : 0, L"四", L"五", 4);
    EXPECT_EQ(waitIn(tmp_), 99u);
  }
  // The command tells the user where the file is.
  traytest::MessageBoxWatcher watcher;
  moveProgramTimerDown(nullptr);
  std::vector<std::wstring> texts = watcher.texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find(path(tmp_)), std::wstring::npos) << testing::PrintToString(texts[0]);
  EXPECT_EQ(waitIn(tmp_), 99u);
}

TEST_F(ProgramMove, AFailedRenameIsUndoneAndTheUserIsTold) {
  ASSERT_TRUE(writeSlot(4, L"4\n"));
  ASSERT_TRUE(writeSlot(5, L"5\n"));
  // Another program holds one of the two files open without sharing: Wine refuses to rename
  // it, as Windows does. The selected slot's file fails the second rename, the neighbour's the
  // first.
  for (int locked : {4, 5}) {
    SCOPED_TRACE(locked);
    HANDLE held = CreateFileW(slotPath(locked).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_FALSE(MoveFileW(slotPath(locked).c_str(), path(L"probe").c_str())) << "the lock does not hold";
    PROGRAM_TIMER_NO = 4;
    std::vector<std::wstring> texts;
    {
      traytest::MessageBoxWatcher watcher;
      moveProgramTimerDown(nullptr);
      texts = watcher.texts();
    }
    CloseHandle(held);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], L"プログラムタイマー設定ファイルの移動に失敗しました");
    expectSlots(4, 5, L"四", L"五", 4);
    EXPECT_EQ(key(L"NO"), L"<missing>");
    EXPECT_FALSE(exists(tmp_)) << listing();
  }
}

TEST_F(ProgramMove, AMoveCutShortIsPutRightFromItsRecord) {
  // The files as a kill left them, with the record the move had written last.
  struct Case {
    const char* what;
    const wchar_t* record;
    uint32_t four, five, temporary;  // waits of the files; 0: no file
    const wchar_t* name4;            // NAME_4 as the kill left it
    uint32_t wantFour, wantFive;
    const wchar_t *want4, *want5;
    int wantSelected;
  } cases[] = {
      {"record written, nothing renamed", L"4,5,1,1,1,四五", 4, 5, 0, L"四", 4, 5, L"四", L"五", 4},
      {"neighbour's file aside", L"4,5,1,1,1,四五", 4, 0, 5, L"四", 4, 5, L"四", L"五", 4},
      {"selected file moved on", L"4,5,1,1,1,四五", 0, 4, 5, L"四", 4, 5, L"四", L"五", 4},
      {"before the last rename", L"4,5,2,1,1,四五", 0, 4, 5, L"四", 4, 5, L"四", L"五", 4},
      {"no neighbour, file moved", L"4,5,1,0,1,四五", 0, 4, 0, L"四", 4, 0, L"四", L"五", 4},
      {"files done, one name written", L"4,5,2,1,1,四五", 5, 4, 0, L"五", 5, 4, L"五", L"四", 5},
      {"moving up, files done", L"5,4,2,1,1,五四", 5, 4, 0, L"四", 5, 4, L"五", L"四", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (int slot : {4, 5}) DeleteFileW(slotPath(slot).c_str());
    DeleteFileW(path(tmp_).c_str());
    if (c.four) {
      ASSERT_TRUE(writeSlot(4, std::to_wstring(c.four) + L"\n"));
    }
    if (c.five) {
      ASSERT_TRUE(writeSlot(5, std::to_wstring(c.five) + L"\n"));
    }
    if (c.temporary) {
      ASSERT_TRUE(writeBytes(tmp_, utf16(std::to_wstring(c.temporary) + L"\r\n")));
    }
    writeSettingString(L"PROGRAM_TIMER", L"NAME_4", c.name4);
    writeSettingString(L"PROGRAM_TIMER", L"NAME_5", L"五");
    writeSettingString(L"PROGRAM_TIMER", L"MOVE", c.record);
    readSettingsFile();
    PROGRAM_TIMER_NO = c.record[0] - L'0';
    EXPECT_TRUE(recoverProgramTimerMove());
    expectSlots(c.wantFour, c.wantFive, c.want4, c.want5, c.wantSelected);
    EXPECT_FALSE(exists(tmp_));
  }
}

TEST_F(ProgramMove, ARecoveryThatCannotRenameKeepsTheFilesAndItsRecord) {
  ASSERT_TRUE(writeSlot(5, L"4\n"));
  ASSERT_TRUE(writeBytes(tmp_, utf16(L"5\r\n")));
  writeSettingString(L"PROGRAM_TIMER", L"MOVE", L"4,5,1,1,1,四五");
  PROGRAM_TIMER_NO = 4;
  HANDLE held = CreateFileW(slotPath(5).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::vector<std::wstring> texts;
  {
    traytest::MessageBoxWatcher watcher;
    recoverProgramTimerMoveAtStart(nullptr);
    EXPECT_EQ(moveProgramTimerSlot(4, 5), MoveResult::LeftoverKept);
    texts = watcher.texts();
  }
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find(L"元に戻せませんでした"), std::wstring::npos);
  CloseHandle(held);
  EXPECT_EQ(waitIn(tmp_), 5u);
  EXPECT_EQ(waitIn(slotName(5)), 4u);
  EXPECT_EQ(key(L"MOVE"), L"4,5,1,1,1,四五");
  // Once the file is free the next attempt puts it right.
  EXPECT_TRUE(recoverProgramTimerMove());
  expectSlots(4, 5, L"四", L"五", 4);
}

// Long after a move whose names could not be saved: what was renamed or selected since stays.
TEST_F(ProgramMove, ALateRecoveryKeepsNamesAndSelectionChangedSince) {
  struct Case {
    const char* what;
    const wchar_t *name4, *name5;
    int selected;
    const wchar_t *want4, *want5;
    int wantSelected;
  } cases[] = {
      {"slot 4 renamed since", L"新", L"五", 4, L"新", L"四", 5},
      {"another slot selected since", L"五", L"四", 7, L"五", L"四", 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(writeSlot(4, L"5\n"));
    ASSERT_TRUE(writeSlot(5, L"4\n"));
    wcscpy_s(programTimerNames[4], c.name4);
    wcscpy_s(programTimerNames[5], c.name5);
    PROGRAM_TIMER_NO = c.selected;
    writeSettingString(L"PROGRAM_TIMER", L"MOVE", L"4,5,2,1,1,四五");
    EXPECT_TRUE(recoverProgramTimerMove());
    expectSlots(5, 4, c.want4, c.want5, c.wantSelected);
  }
}

// A move cut short in another instance that is still running is left to it; once that instance
// is gone the record is put right, also with a name that ends in a space.
TEST_F(ProgramMove, OnlyARecordOfNoRunningInstanceIsRecovered) {
  ASSERT_TRUE(writeSlot(5, L"4\n"));
  ASSERT_TRUE(writeBytes(tmp_, utf16(L"5\r\n")));
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION other{};
  ASSERT_TRUE(testsupport::startProgram(self, L"", L"", startup, other, CREATE_SUSPENDED));
  FILETIME created{}, unused[3];
  GetProcessTimes(other.hProcess, &created, &unused[0], &unused[1], &unused[2]);
  wchar_t record[128];
  swprintf(record, 128, L"4,5,1,1,2;%lu,%08lX%08lX,四 |", other.dwProcessId, created.dwHighDateTime,
           created.dwLowDateTime);
  writeSettingString(L"PROGRAM_TIMER", L"MOVE", record);
  PROGRAM_TIMER_NO = 4;
  EXPECT_TRUE(recoverProgramTimerMove());
  EXPECT_EQ(moveProgramTimerSlot(4, 5), MoveResult::Failed);
  EXPECT_EQ(waitIn(slotName(4)), 0u);
  EXPECT_EQ(waitIn(tmp_), 5u);
  EXPECT_EQ(key(L"MOVE"), record);
  TerminateProcess(other.hProcess, 1);
  WaitForSingleObject(other.hProcess, 10000);
  CloseHandle(other.hThread);
  CloseHandle(other.hProcess);
  EXPECT_TRUE(recoverProgramTimerMove());
  expectSlots(4, 5, L"四", L"五", 4);
}

TEST_F(ProgramFile, FileNamesAndDisplayNames) {
  wchar_t text[1024];
  programTimerFilePath(7, text, 1024);
  EXPECT_EQ(std::wstring(text), dir_ + L"tester_program_timer_7.txt");
  programTimerTempPath(text, 1024);
  EXPECT_EQ(std::wstring(text), dir_ + L"tester_program_timer.tmp");
  programTimerFilePath(7, text, 10);  // does not fit: no name at all rather than a wrong one
  EXPECT_STREQ(text, L"");

  programTimerDisplayName(0, text, 128);
  EXPECT_STREQ(text, L"プログラム_0");
  wcscpy_s(programTimerNames[9], L"朝の準備");
  programTimerDisplayName(9, text, 128);
  EXPECT_STREQ(text, L"朝の準備");
}

}  // namespace
