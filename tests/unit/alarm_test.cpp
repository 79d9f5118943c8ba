// The alarm through the media control interface, really played on the test's sound server:
// the device reports "playing", and the end notification arrives after the file's length.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "common/settings.h"
#include "common/sound_files.h"
#include "common/window_requests.h"
#include "countdown_test_support.h"
#include "dialog_driver.h"
#include "res/resource.h"
#include "shell/alarm.h"

using namespace countdown_test;

namespace {

const wchar_t kLoadError[] = L"アラームファイルの読み込みエラー - Velmora";

class Alarm : public ::testing::Test {
 protected:
  void SetUp() override {
    tone_ = tempPath(L"tone.wav");
    longTone_ = tempPath(L"long-tone.wav");
    ASSERT_TRUE(writeToneWav(tone_, 600));
    ASSERT_TRUE(writeToneWav(longTone_, 3000));
  }
  void TearDown() override {
    closeDialogs(dialogsWithCaption(kLoadError));
    DeleteFileW(tone_.c_str());
    DeleteFileW(longTone_.c_str());
  }
  // As the program runner requests a step's sound: through its buffers for play requests.
  void play(const std::wstring& path, int loop) {
    PostMessageW(window_.hwnd, WM_PLAY_SOUND, (WPARAM)keepSoundPathForRequest(path.c_str()), loop);
  }
  int notifies(WPARAM code) const { return window_.count(MM_MCINOTIFY, code); }

  TestWindow window_;
  std::wstring tone_, longTone_;
};

TEST_F(Alarm, PlaysInRealTimeAndNotifiesSuccessAtItsEnd) {
  play(tone_, 0);
  ASSERT_TRUE(pumpUntil([] { return isAlarmPlaying(); }, 1000)) << "MCI never reported playing";
  DWORD started = GetTickCount();
  ASSERT_TRUE(pumpUntil([&] { return notifies(MCI_NOTIFY_SUCCESSFUL) == 1; }, 3000));
  DWORD took = GetTickCount() - started;
  EXPECT_GE(took, 400u) << "played faster than real time";
  EXPECT_LE(took, 1200u);
  EXPECT_FALSE(isAlarmPlaying());
  pump(900);
  EXPECT_EQ(notifies(MCI_NOTIFY_SUCCESSFUL), 1) << "a non-looping alarm played again";
  EXPECT_TRUE(dialogsWithCaption(kLoadError).empty());
}

TEST_F(Alarm, LoopingAlarmRestartsAfterEachEndUntilStopped) {
  play(tone_, 1);
  ASSERT_TRUE(pumpUntil([&] { return notifies(MCI_NOTIFY_SUCCESSFUL) == 2; }, 4000));
  EXPECT_TRUE(pumpUntil([] { return isAlarmPlaying(); }, 500)) << "not replayed after the second end";

  // What F4, closing the notice (WM_APP+2) and a double click do.
  PostMessageW(window_.hwnd, WM_STOP_SOUND, 0, 0);
  EXPECT_TRUE(pumpUntil([&] { return notifies(MCI_NOTIFY_ABORTED) == 1; }, 1000));
  EXPECT_FALSE(isAlarmPlaying());
  int ends = notifies(MCI_NOTIFY_SUCCESSFUL);
  pump(1000);
  EXPECT_EQ(notifies(MCI_NOTIFY_SUCCESSFUL), ends) << "played on after stop all";
  EXPECT_FALSE(isAlarmPlaying());
  // A play that ended just before the stop: its notice is still queued behind it.
  PostMessageW(window_.hwnd, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 0);
  pump(300);
  EXPECT_FALSE(isAlarmPlaying()) << "an end queued before the stop started the loop again";
}

TEST_F(Alarm, SecondRequestReplacesTheFirstAndItsLoopFlag) {
  play(longTone_, 1);
  ASSERT_TRUE(pumpUntil([] { return isAlarmPlaying(); }, 1000));
  pump(200);
  play(tone_, 0);
  ASSERT_TRUE(pumpUntil([&] { return notifies(MCI_NOTIFY_SUCCESSFUL) == 1; }, 2500));
  EXPECT_EQ(alarmLoopFlag, 0);
  pump(800);
  EXPECT_FALSE(isAlarmPlaying()) << "the replaced looping alarm came back";
  EXPECT_EQ(notifies(MCI_NOTIFY_SUCCESSFUL), 1);
}

TEST_F(Alarm, UnopenableFileGivesExactlyOneErrorBoxWithMciTextAndNoSound) {
  std::wstring missing = tempPath(L"no-such-alarm.wav");
  // A quote would end the file name inside `open "..." alias alarm` and let the rest of the
  // path be read as command words; such a path is refused like a missing file.
  std::wstring injected = tone_ + L"\" alias alarm wait \"";
  wchar_t notFound[1024] = L"";
  mciGetErrorStringW(MCIERR_FILE_NOT_FOUND, notFound, 1024);
  for (const std::wstring& path : {missing, injected}) {
    SCOPED_TRACE(testing::Message() << "path " << path.size());
    posted().clear();
    play(path, 1);
    pump(600);
    std::vector<HWND> boxes = dialogsWithCaption(kLoadError);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(messageBoxText(boxes[0]).empty());
    if (path == injected) {
      EXPECT_EQ(messageBoxText(boxes[0]), notFound);
    }
    EXPECT_FALSE(isAlarmPlaying());
    closeDialogs(boxes);
    pump(300);
    EXPECT_EQ(notifies(MCI_NOTIFY_SUCCESSFUL), 0);
  }
}

TEST_F(Alarm, OnlyTheProgramsOwnSoundPathsAreRead) {
  // Another program can post the message number with any value: a path of its own, a pointer
  // into the middle of one of ours, or no pointer at all. None of them is read.
  std::wstring missing = tempPath(L"no-such-alarm.wav");
  const wchar_t* kept = keepSoundPathForRequest(missing.c_str());
  const WPARAM foreign[] = {(WPARAM)missing.c_str(), (WPARAM)(kept + 1), 0, 1, 0x7FFE0000};
  for (WPARAM value : foreign) PostMessageW(window_.hwnd, WM_PLAY_SOUND, value, 1);
  // Posted messages are handled in order: once this one has played, the others were seen.
  PostMessageW(window_.hwnd, WM_PLAY_SOUND, (WPARAM)keepSoundPathForRequest(tone_.c_str()), 0);
  ASSERT_TRUE(pumpUntil([&] { return notifies(MCI_NOTIFY_SUCCESSFUL) == 1; }, 3000));
  EXPECT_TRUE(dialogsWithCaption(kLoadError).empty());
  EXPECT_EQ(alarmLoopFlag, 0);

  // ALARM_FILE itself is the time-up's request.
  wchar_t saved[520];
  wcscpy_s(saved, ALARM_FILE);
  wcscpy_s(ALARM_FILE, tone_.c_str());
  PostMessageW(window_.hwnd, WM_PLAY_SOUND, (WPARAM)ALARM_FILE, 0);
  EXPECT_TRUE(pumpUntil([&] { return notifies(MCI_NOTIFY_SUCCESSFUL) == 2; }, 3000));
  wcscpy_s(ALARM_FILE, saved);
}

TEST(AlarmOpenCommand, QuotesThePathAndRefusesQuotesAndOverlongPaths) {
  wchar_t command[1024];
  ASSERT_TRUE(buildAlarmOpenCommand(L"C:\\sounds\\ベル.wav", command, 1024));
  EXPECT_STREQ(command, L"open \"C:\\sounds\\ベル.wav\" alias alarm");
  ASSERT_TRUE(buildAlarmOpenCommand(L"alarm.wav", command, 1024));
  EXPECT_STREQ(command, L"open \"alarm.wav\" alias alarm");

  EXPECT_FALSE(buildAlarmOpenCommand(L"a.wav\" alias other", command, 1024));
  EXPECT_FALSE(buildAlarmOpenCommand(nullptr, command, 1024));
  const size_t frame = wcslen(L"open \"\" alias alarm");
  std::wstring fits(1023 - frame, L'x'), tooLong(1024 - frame, L'x');
  EXPECT_TRUE(buildAlarmOpenCommand(fits.c_str(), command, 1024));
  EXPECT_FALSE(buildAlarmOpenCommand(tooLong.c_str(), command, 1024));
  EXPECT_STREQ(command, L"");
}

TEST(AlarmFilter, ExtensionPicksTheChooserFilterIgnoringCase) {
  struct Case {
    const wchar_t* path;
    int index;
  } cases[] = {
      {L"alarm.wav", 1},         {L"C:\\music\\SONG.MP3", 2}, {L"x.Wma", 3}, {L"tune.mid", 4},
      {L"noextension", 5},       {L"clip.ogg", 5},            {L"", 5},      {L".wav", 1},
      {L"dir.mp3\\file", 5},     {L"a.wav.mid", 4},
  };
  for (const Case& c : cases) EXPECT_EQ(filterIndexForPath(c.path), c.index) << c.path;
  const wchar_t* filter = soundFileFilter();
  EXPECT_STREQ(filter, L"Wave サウンド (*.wav)");
  int strings = 0;
  for (const wchar_t* p = filter; *p; p += wcslen(p) + 1) ++strings;
  EXPECT_EQ(strings, 10);
}

// Dialog 208, run for real with its template.
class AlarmDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = {ALARM_PLAY, ALARM_LOOP};
    wcscpy_s(savedFile_, ALARM_FILE);
    savedFilter_ = alarmFilterIndex;
  }
  void TearDown() override {
    ALARM_PLAY = saved_[0];
    ALARM_LOOP = saved_[1];
    wcscpy_s(ALARM_FILE, savedFile_);
    alarmFilterIndex = savedFilter_;
  }
  INT_PTR run(const std::function<void(HWND)>& driver) {
    return dialogtest::runDialogDriven(IDD_ALARM_SOUND, alarmSoundDialogProc, window_.hwnd, driver);
  }

  TestWindow window_;
  std::vector<int> saved_;
  wchar_t savedFile_[520];
  int savedFilter_;
};

bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

TEST_F(AlarmDialog, ShowsTheSettingsGreysWithThePlayBoxAndStoresOnOk) {
  ALARM_PLAY = 1;
  ALARM_LOOP = 0;
  wcscpy_s(ALARM_FILE, L"C:\\sounds\\bell.wav");
  bool shown = false, greyed = false, regained = false;
  std::wstring file;
  INT_PTR result = run([&](HWND d) {
    if (!d) return;
    file = textOf(GetDlgItem(d, IDC_ALARM_FILE));
    shown = IsDlgButtonChecked(d, IDC_ALARM_PLAY) && !IsDlgButtonChecked(d, IDC_ALARM_LOOP) &&
            enabled(d, IDC_ALARM_FILE) && enabled(d, IDC_ALARM_BROWSE) && enabled(d, IDC_ALARM_LOOP);
    SendDlgItemMessageW(d, IDC_ALARM_PLAY, BM_CLICK, 0, 0);
    greyed = !enabled(d, IDC_ALARM_FILE) && !enabled(d, IDC_ALARM_BROWSE) && !enabled(d, IDC_ALARM_LOOP);
    SendDlgItemMessageW(d, IDC_ALARM_PLAY, BM_CLICK, 0, 0);
    regained = enabled(d, IDC_ALARM_FILE);
    SendDlgItemMessageW(d, IDC_ALARM_PLAY, BM_CLICK, 0, 0);
    SendDlgItemMessageW(d, IDC_ALARM_LOOP, BM_SETCHECK, BST_CHECKED, 0);
    SetDlgItemTextW(d, IDC_ALARM_FILE, L"");
    PostMessageW(d, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(file, L"C:\\sounds\\bell.wav");
  EXPECT_TRUE(shown);
  EXPECT_TRUE(greyed);
  EXPECT_TRUE(regained);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ALARM_PLAY, 0);
  EXPECT_EQ(ALARM_LOOP, 1);  // stored although greyed
  EXPECT_STREQ(ALARM_FILE, L"alarm.wav");
}

TEST_F(AlarmDialog, CancelAndClosingChangeNothing) {
  ALARM_PLAY = 0;
  ALARM_LOOP = 1;
  wcscpy_s(ALARM_FILE, L"keep.wav");
  for (UINT how : {0u, 1u}) {
    bool greyedAtStart = false;
    INT_PTR result = run([&](HWND d) {
      if (!d) return;
      greyedAtStart = !enabled(d, IDC_ALARM_FILE);
      SendDlgItemMessageW(d, IDC_ALARM_PLAY, BM_CLICK, 0, 0);
      SetDlgItemTextW(d, IDC_ALARM_FILE, L"other.wav");
      if (how == 0)
        PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
      else
        PostMessageW(d, WM_CLOSE, 0, 0);
    });
    EXPECT_TRUE(greyedAtStart);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ALARM_PLAY, 0);
    EXPECT_EQ(ALARM_LOOP, 1);
    EXPECT_STREQ(ALARM_FILE, L"keep.wav");
  }
}

TEST_F(AlarmDialog, FirstBrowseOpensOnTheFilterOfTheTypedExtension) {
  std::wstring chosen = tempPath(L"chosen.wav");
  ASSERT_TRUE(writeToneWav(chosen, 100));
  ALARM_PLAY = 1;
  wcscpy_s(ALARM_FILE, L"C:\\music\\SONG.MP3");
  alarmFilterIndex = -1;
  LRESULT firstFilter = -1, secondFilter = -1;
  int afterCancel = 0;
  std::wstring afterChoice;
  INT_PTR result = run([&](HWND d) {
    if (!d) return;
    auto browse = [&] { PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_ALARM_BROWSE, BN_CLICKED), 0); };
    browse();
    HWND chooser = waitForOwnDialog(L"アラーム音ファイル指定");
    if (chooser) {
      firstFilter = SendDlgItemMessageW(chooser, 0x470, CB_GETCURSEL, 0, 0);
      PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
      while (IsWindow(chooser)) Sleep(20);
    }
    afterCancel = alarmFilterIndex;
    // The index stays once derived, whatever the text says now.
    SetDlgItemTextW(d, IDC_ALARM_FILE, L"tune.mid");
    browse();
    chooser = waitForOwnDialog(L"アラーム音ファイル指定");
    if (chooser) {
      secondFilter = SendDlgItemMessageW(chooser, 0x470, CB_GETCURSEL, 0, 0);
      SetDlgItemTextW(chooser, 0x47C, chosen.c_str());
      PostMessageW(chooser, WM_COMMAND, IDOK, 0);
      while (IsWindow(chooser)) Sleep(20);
    }
    afterChoice = textOf(GetDlgItem(d, IDC_ALARM_FILE));
    PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
  });
  DeleteFileW(chosen.c_str());
  EXPECT_EQ(result, 0);
  EXPECT_EQ(firstFilter, 1);  // zero-based: filter 2, MP3
  EXPECT_EQ(afterCancel, 2);
  EXPECT_EQ(secondFilter, 1);
  EXPECT_EQ(lstrcmpiW(afterChoice.c_str(), chosen.c_str()), 0) << afterChoice.size();
  EXPECT_EQ(alarmFilterIndex, 2);  // the filter the chooser ended with
}

}  // namespace
