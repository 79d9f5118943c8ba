// Settings read through the real profile functions from real files, with every clamping rule.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "tests/support/whole_file.h"

#include "app/startup.h"
#include "app/window_placement.h"
#include "common/settings.h"
#include "common/timer_state.h"
#include "display/colours_and_font.h"

namespace {

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    swprintf_s(path_, MAX_PATH, L"%lsvelmora-settings-%lu-%d.ini", dir, GetCurrentProcessId(), counter_++);
    DeleteFileW(path_);
    wcscpy_s(settingsFilePath, path_);
  }
  void TearDown() override { DeleteFileW(path_); }

  void write(const std::wstring& text) {
    HANDLE f = CreateFileW(path_, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD n;
    WriteFile(f, "\xFF\xFE", 2, &n, nullptr);
    WriteFile(f, text.data(), DWORD(text.size() * 2), &n, nullptr);
    CloseHandle(f);
  }
  std::string bytes() { return testsupport::readWholeFile(path_); }
  std::wstring readKey(const wchar_t* section, const wchar_t* key) {
    wchar_t buf[256];
    GetPrivateProfileStringW(section, key, L"<missing>", buf, 256, path_);
    return buf;
  }

  wchar_t path_[MAX_PATH];
  static inline int counter_ = 0;
};

TEST_F(SettingsFile, MissingFileGivesEveryDefaultAndCreatesTheFileWithTheTickKey) {
  readSettingsFile();
  EXPECT_EQ(IN_TRAY, 0);
  EXPECT_EQ(ALWAYS_TRAY, 1);
  EXPECT_EQ(UNTOUCHABLE, 0);
  EXPECT_EQ(Z_ORDER, 0);
  EXPECT_EQ(START_SYURYO_CHECK, 1);
  EXPECT_EQ(WIN_SAVE, 1);
  EXPECT_EQ(JIKOKU_LOOP, 1);
  EXPECT_EQ(textColour, RGB(0, 0, 0));
  EXPECT_EQ(backgroundColour, RGB(255, 255, 255));
  EXPECT_STREQ(FONT_NAME, L"ＭＳ ゴシック");
  EXPECT_EQ(FONT_WEIGHT, 400);
  EXPECT_EQ(ALARM_PLAY, 1);
  EXPECT_STREQ(ALARM_FILE, L"alarm.wav");
  EXPECT_STREQ(BG_IMG_FILE, L"bg.bmp");
  EXPECT_DOUBLE_EQ(hmsRatio, 1.6);
  EXPECT_DOUBLE_EQ(dhmsRatio, 2.0);
  EXPECT_EQ(WIN_ALPHA, 255);
  EXPECT_EQ(SHOW_SEC, 1);
  EXPECT_EQ(AUTO_CLOSE_SEC, 300);
  EXPECT_EQ(PROGRAM_TIMER_NO, 0);
  EXPECT_EQ(intervalHours, 0);
  std::wstring expectedTick = std::wstring(programDirectory) + L"second.wav";
  EXPECT_EQ(std::wstring(secondSoundPath), expectedTick);
  // The only write of a first start: the empty tick key, in a UTF-16 file.
  EXPECT_EQ(readKey(L"OPTION_SETTING", L"SEC_SOUND_PATH"), L"");
  EXPECT_EQ(bytes().substr(0, 2), "\xFF\xFE");
}

TEST_F(SettingsFile, OutOfRangeAndNonNumericValuesAreClamped) {
  write(L"[OPTION_SETTING]\r\nWIN_ALPHA=300\r\nUNTOUCHABLE=1\r\nALWAYS_TRAY=0\r\nZ_ORDER=5\r\n"
        L"HMS_ASPECT_H=0\r\nDHMS_ASPECT_W=-4\r\nAUTO_CLOSE_SEC=-1\r\nAUTO_CLOSE_INDEX=3\r\n"
        L"ALARM_FILE=\r\nBG_IMG_FILE=\r\nTXT_COLOR_R=511\r\nSHOW_SEC=abc\r\nIN_TRAY=7\r\n"
        L"SEC_SOUND_PATH=C:\\tick.wav\r\n"
        L"[TIMER_SETTING]\r\nHOUR=5000\r\nMIN=75\r\nSEC=-3\r\n"
        L"[TIMER]\r\nTYPE=9\r\nLOOP_CNT=-2\r\n"
        L"[PROGRAM_TIMER]\r\nNO=10\r\nSTEP=-1\r\nLOOP=2\r\n");
  readSettingsFile();
  EXPECT_EQ(WIN_ALPHA, 44);
  EXPECT_EQ(UNTOUCHABLE, 1);
  EXPECT_EQ(ALWAYS_TRAY, 1);  // forced by click-through everywhere
  EXPECT_EQ(readKey(L"OPTION_SETTING", L"ALWAYS_TRAY"), L"0");  // the file keeps 0
  EXPECT_EQ(Z_ORDER, 0);
  EXPECT_DOUBLE_EQ(hmsRatio, 16.0);
  EXPECT_EQ(DHMS_ASPECT_W, 1);
  EXPECT_EQ(AUTO_CLOSE_SEC, 300);
  EXPECT_EQ(AUTO_CLOSE_INDEX, 0);
  EXPECT_STREQ(ALARM_FILE, L"alarm.wav");
  EXPECT_STREQ(BG_IMG_FILE, L"");
  EXPECT_EQ(TXT_COLOR_R, 255);
  EXPECT_EQ(SHOW_SEC, 0);  // not a number reads as 0, not as the default
  EXPECT_EQ(IN_TRAY, 1);
  EXPECT_STREQ(secondSoundPath, L"C:\\tick.wav");
  EXPECT_EQ(intervalHours, 1193);
  EXPECT_EQ(intervalMinutes, 59);
  EXPECT_EQ(intervalSeconds, 0);
  EXPECT_EQ(timerKind, 0);
  EXPECT_EQ(repeatCount, 0);
  EXPECT_EQ(PROGRAM_TIMER_NO, 0);
  EXPECT_EQ(programStep, 0);
  EXPECT_EQ(PROGRAM_TIMER_LOOP, 1);
}

TEST_F(SettingsFile, ZeroGraceAndNegativeModesKeepTheirRules) {
  write(L"[OPTION_SETTING]\r\nAUTO_CLOSE_SEC=0\r\nUNTOUCHABLE=-1\r\nFONT_WEIGHT=-7\r\n"
        L"[ALARM_TIME]\r\nYEAR=70000\r\nMONTH=12\r\n");
  readSettingsFile();
  EXPECT_EQ(AUTO_CLOSE_SEC, 0);
  EXPECT_EQ(UNTOUCHABLE, 0);
  EXPECT_EQ(FONT_WEIGHT, -7);
  EXPECT_EQ(targetTime.wYear, (WORD)70000);  // the 16-bit field keeps the low bits
  EXPECT_EQ(targetTime.wMonth, 12);
}

TEST_F(SettingsFile, GarbageAndHugeNumbersDoNotBreakTheReader) {
  write(L"garbage line\r\n[OPTION_SETTING\r\n=\r\n[OPTION_SETTING]\r\nWIN_ALPHA=99999999999999999999\r\n"
        L"Z_ORDER=  2  \r\nFONT_NAME=" + std::wstring(300, L'x') + L"\r\n");
  readSettingsFile();
  // Whatever number the profile functions make of it, only its low 8 bits are used.
  const UINT stored = GetPrivateProfileIntW(L"OPTION_SETTING", L"WIN_ALPHA", 12345, settingsFilePath);
  EXPECT_NE(stored, 12345u) << "the key was not found after the garbage";
  EXPECT_EQ(WIN_ALPHA, int(stored & 0xFF));
  EXPECT_EQ(Z_ORDER, 2) << "the keys after the garbage are read";
  EXPECT_EQ(wcslen(FONT_NAME), 31u);
}

TEST_F(SettingsFile, NamesOutsideTheAnsiCodePageRoundTrip) {
  readSettingsFile();  // creates the file
  const wchar_t* name = L"Ελληνικά 😀 ünï 朝";
  PROGRAM_TIMER_NO = 3;
  wcscpy_s(programTimerNames[3], name);
  saveProgramTimerName();
  programTimerNames[3][0] = 0;
  readSettingsFile();
  EXPECT_STREQ(programTimerNames[3], name);
}

TEST_F(SettingsFile, GroupWritesStopAfterAFailedFirstWrite) {
  // A path in a folder that does not exist cannot be written.
  wcscpy_s(settingsFilePath, L"Z:\\no\\such\\folder\\x Velmora.ini");
  IntKeyValue group[] = {{L"A", 1}, {L"B", 2}};
  EXPECT_FALSE(writeOptionGroup(nullptr, group, 2));
  wcscpy_s(settingsFilePath, path_);
  EXPECT_TRUE(writeOptionGroup(nullptr, group, 2));
  EXPECT_EQ(readKey(L"OPTION_SETTING", L"B"), L"2");
}

TEST_F(SettingsFile, AKillAfterAStepsEndIsWrittenResumesThatStep) {
  // Step 3 of pass 1 was saved; step 4 of pass 1 starts and writes its end, and the program
  // is killed before it writes anything more.
  timerKind = 2, repeatCount = 1, programStep = 3;
  targetTime = SYSTEMTIME{2026, 12, 2, 8, 10, 0, 0, 0};
  saveTargetTime(nullptr);
  saveTimerState();
  programStep = 4;
  targetTime = SYSTEMTIME{2026, 12, 2, 8, 10, 0, 5, 0};
  saveTargetTime(nullptr);
  timerKind = 0, repeatCount = 0, programStep = 0;
  readSettingsFile();
  EXPECT_EQ(targetTime.wSecond, 5);
  EXPECT_EQ(programStep, 4) << "the new step's end would resume with the old step's number";
  EXPECT_EQ(repeatCount, 1);
  EXPECT_EQ(timerKind, 2);
  // The section keeps its keys; a file without the step beside the end reads as before.
  EXPECT_EQ(readKey(L"ALARM_TIME", L"MILLISECOND"), L"0");
  write(L"[ALARM_TIME]\r\nYEAR=2026\r\nMONTH=12\r\nDAY=8\r\n[TIMER]\r\nTYPE=1\r\nLOOP_CNT=7\r\n"
        L"[PROGRAM_TIMER]\r\nSTEP=2\r\n");
  readSettingsFile();
  EXPECT_EQ(timerKind, 1);
  EXPECT_EQ(repeatCount, 7);
  EXPECT_EQ(programStep, 2);
  timerKind = 0, repeatCount = 0, programStep = 0;
}

TEST_F(SettingsFile, APausedTimeLeftRoundTripsWholeAndGarbageReadsAsNotPaused) {
  paused = 1;
  pausedLeftMs = 4000000000u;  // 1111 h: beyond the signed 32-bit range
  saveTargetTime(nullptr);
  paused = 0;
  pausedLeftMs = 0;
  readSettingsFile();
  EXPECT_EQ(pausedLeftMs, 4000000000u);
  write(L"[ALARM_TIME]\r\nPAUSED=1\r\nPAUSE_LEFT=-5\r\n");
  readSettingsFile();
  EXPECT_EQ(pausedLeftMs, 0u);
}

TEST(SettingsClamp, EachRule) {
  EXPECT_EQ(clampSettingValue(Clamp::Bool, -5, 0, 0, 0), 1);
  EXPECT_EQ(clampSettingValue(Clamp::Low8, 300, 0, 0, 0), 44);
  EXPECT_EQ(clampSettingValue(Clamp::Low8, -1, 0, 0, 0), 255);
  EXPECT_EQ(clampSettingValue(Clamp::RangeOrZero, 3, 0, 0, 2), 0);
  EXPECT_EQ(clampSettingValue(Clamp::RangeOrZero, 2, 0, 0, 2), 2);
  EXPECT_EQ(clampSettingValue(Clamp::Cap, -3, 0, 0, 1193), 0);
  EXPECT_EQ(clampSettingValue(Clamp::Cap, 5000, 0, 0, 1193), 1193);
  EXPECT_EQ(clampSettingValue(Clamp::AtLeastOne, 0, 0, 0, 0), 1);
  EXPECT_EQ(clampSettingValue(Clamp::NegToDefault, -1, 300, 0, 0), 300);
  EXPECT_EQ(clampSettingValue(Clamp::NegToZero, -1, 0, 0, 0), 0);
}

TEST(StartupArithmetic, CommandLineLengthsInEveryFormOrARefusal) {
  const int kRefused = -1, kNothing = -2;
  struct Case {
    const wchar_t* arg;
    int h, m, s;  // kRefused or kNothing in h: no count-down
  } cases[] = {
      // A plain number: whole seconds, read leniently, capped with its remainder kept.
      {L"90", 0, 1, 30},           {L"4300000", 1193, 26, 40}, {L"\"  42\"", 0, 0, 42},
      {L"\"+30 \"", 0, 0, 30},     {L"0", kNothing},           {L"-5", kNothing},
      {L"", kNothing},             {nullptr, kNothing},
      // Units, in either case and in Japanese.
      {L"90s", 0, 1, 30},          {L"25m", 0, 25, 0},         {L"2H", 2, 0, 0},
      {L"1h30m", 1, 30, 0},        {L"1H30M15S", 1, 30, 15},   {L"90m", 1, 30, 0},
      {L"25分", 0, 25, 0},         {L"1時間30分15秒", 1, 30, 15}, {L"２５分", 0, 25, 0},
      {L"1194h", 1193, 0, 0},      {L"0m", kNothing},
      // Clock forms.
      {L"25:00", 0, 25, 0},        {L"1:30", 0, 1, 30},        {L"1:30:00", 1, 30, 0},
      {L"90:05", 1, 30, 5},        {L"0:00", kNothing},
      // Anything else: refused, never a misread number of seconds.
      {L"3600abc", kRefused},      {L"abc", kRefused},         {L"1.5h", kRefused},
      {L"25min", kRefused},        {L"1h30", kRefused},        {L"30m1h", kRefused},
      {L"5m5m", kRefused},         {L"1:5", kRefused},         {L"1:60", kRefused},
      {L"1:00:00:00", kRefused},   {L"-5m", kRefused},         {L"1時30分", kRefused},
      // Every argument, read as one length; a plain number only when it stands alone.
      {L"1h 30m", 1, 30, 0},       {L"1時間 30分 15秒", 1, 30, 15}, {L"\"25m\" \"\"", 0, 25, 0},
      {L"1 30", kRefused},         {L"90 abc", kRefused},      {L"25m 25m", kRefused},
      // Hours capped, the rest kept; minutes of m:ss in any number of digits.
      {L"2000h", 1193, 0, 0},      {L"1193h30m", 1193, 30, 0}, {L"5000000", 1193, 53, 20},
      {L"1234:56", 20, 34, 56},
  };
  for (const auto& c : cases) {
    // As typed after the program's name on a command line.
    const std::wstring typed = c.arg ? L"velmora.exe " + std::wstring(c.arg) : L"velmora.exe";
    const CommandLineInterval r = intervalFromArgument(argumentText(typed.c_str()).c_str());
    SCOPED_TRACE(testing::Message() << (c.arg ? std::string(c.arg, c.arg + wcslen(c.arg)) : "(none)"));
    EXPECT_EQ(r.given, c.h >= 0);
    EXPECT_EQ(r.refused, c.h == kRefused);
    if (c.h >= 0) {
      EXPECT_EQ(std::vector<int>({r.hours, r.minutes, r.seconds}), std::vector<int>({c.h, c.m, c.s}));
    }
  }
}

TEST(StartupArithmetic, SavedWindowOpensOnTheNearestWorkArea) {
  const RECT primary{0, 0, 1024, 738};         // 1024 x 768 with a 30-pixel taskbar
  const RECT leftMonitor{-1280, 0, 0, 984};    // a second monitor to the left
  const SIZE defaults{450, 300};               // the default size at 144 DPI
  struct Case {
    const char* what;
    WindowBox saved;
    RECT work;
    WindowBox expected;
  } cases[] = {
      {"on the monitor: kept", {100, 120, 420, 260}, primary, {100, 120, 420, 260}},
      {"off to the right and below", {3024, 2268, 300, 200}, primary, {724, 538, 300, 200}},
      {"far left", {-1700, 100, 300, 200}, primary, {0, 100, 300, 200}},
      {"enough of it visible: kept", {900, 650, 300, 200}, primary, {900, 650, 300, 200}},
      {"a sliver visible", {1000, -180, 300, 200}, primary, {724, 0, 300, 200}},
      {"larger than the work area, off screen", {5000, 40, 2000, 900}, primary, {0, 0, 1024, 738}},
      {"larger than the work area, on it: kept", {0, 0, 2000, 900}, primary, {0, 0, 2000, 900}},
      {"zero and negative size", {100, 100, 0, -5}, primary, {100, 100, 450, 300}},
      {"no size, off screen", {-4000, 9000, 0, 0}, primary, {0, 438, 450, 300}},
      {"on a monitor to the left: kept", {-1200, 100, 300, 200}, leftMonitor, {-1200, 100, 300, 200}},
      {"beyond the left monitor", {-2500, 100, 300, 200}, leftMonitor, {-1280, 100, 300, 200}},
      {"sums past the int range", {INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX}, primary, {0, 0, 1024, 738}},
  };
  for (const auto& c : cases) {
    WindowBox r = placeSavedWindow(c.saved, c.work, defaults, 72);
    EXPECT_EQ(r.left, c.expected.left) << c.what;
    EXPECT_EQ(r.top, c.expected.top) << c.what;
    EXPECT_EQ(r.width, c.expected.width) << c.what;
    EXPECT_EQ(r.height, c.expected.height) << c.what;
  }
}

TEST(StartupArithmetic, KeyColourMovesOffTheTextColour) {
  EXPECT_EQ(keyColourAvoiding(RGB(111, 111, 111), RGB(111, 111, 111)), RGB(110, 110, 110));
  EXPECT_EQ(keyColourAvoiding(RGB(111, 111, 111), RGB(0, 0, 0)), RGB(111, 111, 111));
  EXPECT_EQ(keyColourAvoiding(RGB(111, 111, 111), 0x01000000 | RGB(111, 111, 111)), RGB(110, 110, 110));
}

}  // namespace
