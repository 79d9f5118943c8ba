// Generated malformed inputs, each from a fixed start value so a failure repeats: settings
// files, program timer files, command-line arguments and the numbers typed into dialogs. Every
// case must neither crash nor leave a value outside what the loader or reader promises.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <cmath>
#include <cstdint>
#include <cwchar>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "common/settings.h"
#include "app/startup.h"
#include "display/row_switch_ratio.h"
#include "program_test_support.h"
#include "programs/program_file.h"
#include "timers/countdown.h"
#include "common/timer_state.h"

namespace {

using program_test::ProgramFolder;
using program_test::asCrLf;

// Picks from a list.
template <typename T, size_t N>
const T& pick(std::mt19937& random, const T (&items)[N]) {
  return items[random() % N];
}

std::wstring randomText(std::mt19937& random, const wchar_t* alphabet, size_t maxLength) {
  const size_t n = wcslen(alphabet);
  std::wstring out(random() % (maxLength + 1), L' ');
  for (wchar_t& c : out) c = alphabet[random() % n];
  return out;
}

// A value for an integer key: numbers in and out of every range, overflowing ones, words.
std::wstring randomIntegerText(std::mt19937& random) {
  static const wchar_t* const fixed[] = {L"", L"abc", L"NaN", L"-", L"+7", L" 12", L"12abc", L"0x10",
                                         L"1e5", L"99999999999", L"-99999999999", L"4294967295",
                                         L"4294967296", L"2147483647", L"-2147483648", L"-2147483649",
                                         L"０１", L"\"5\"", L"=3", L"1193", L"1194", L"59", L"60"};
  switch (random() % 4) {
    case 0: return pick(random, fixed);
    case 1: return std::to_wstring(int(random() % 600) - 100);
    case 2: return std::to_wstring(int32_t(random()));
    default: return randomText(random, L"0123456789-+ .eE\tx;[]=\\", 14);
  }
}

// A value for a string key: short, empty, or longer than any buffer, with odd characters.
std::wstring randomStringText(std::mt19937& random) {
  switch (random() % 4) {
    case 0: return L"";
    case 1: return std::wstring(random() % 3000, L"aあ\\;"[random() % 4]);
    case 2: return randomText(random, L"abc.wav\\:/ ;\"'=[]テスト", 60);
    default: return L"\"quoted\"";
  }
}

// What the loader must make of a raw integer read from the file.
int expectedValue(const wchar_t* key, int raw, int defaultValue) {
  static const std::map<std::wstring, int> kind = {
      // 0 as read, 1 bool, 2 low 8 bits, 3 outside 0..2 is 0, 4 below 1 is 1, 5 negative is default,
      // 6 negative is 0, 7 cap 0..1193, 8 cap 0..59, 9 outside 0..9 is 0
      {L"FONT_WEIGHT", 0},     {L"TXT_COLOR_R", 2},   {L"TXT_COLOR_G", 2},    {L"TXT_COLOR_B", 2},
      {L"BG_COLOR_R", 2},      {L"BG_COLOR_G", 2},    {L"BG_COLOR_B", 2},     {L"WIN_ALPHA", 2},
      {L"BG_IMG_TOUKA_R", 2},  {L"BG_IMG_TOUKA_G", 2}, {L"BG_IMG_TOUKA_B", 2}, {L"UNTOUCHABLE", 3},
      {L"Z_ORDER", 3},         {L"AUTO_CLOSE_INDEX", 3}, {L"TYPE", 3},        {L"DHMS_ASPECT_W", 4},
      {L"DHMS_ASPECT_H", 4},   {L"HMS_ASPECT_W", 4},  {L"HMS_ASPECT_H", 4},   {L"AUTO_CLOSE_SEC", 5},
      {L"LOOP_CNT", 6},        {L"STEP", 6},          {L"HOUR", 7},           {L"MIN", 8},
      {L"SEC", 8},             {L"NO", 9},
  };
  auto it = kind.find(key);
  switch (it == kind.end() ? 1 : it->second) {
    case 0: return raw;
    case 1: return raw != 0;
    case 2: return raw & 0xFF;
    case 3: return raw >= 0 && raw <= 2 ? raw : 0;
    case 4: return raw < 1 ? 1 : raw;
    case 5: return raw < 0 ? defaultValue : raw;
    case 6: return raw < 0 ? 0 : raw;
    case 7: return raw < 0 ? 0 : (raw > 1193 ? 1193 : raw);
    case 8: return raw < 0 ? 0 : (raw > 59 ? 59 : raw);
    default: return raw >= 0 && raw <= 9 ? raw : 0;
  }
}

class MalformedSettings : public ProgramFolder {};

TEST_F(MalformedSettings, EveryGeneratedFileLoadsWithEveryValueInItsRange) {
  int count = 0;
  const SettingKey* keys = settingKeys(&count);
  std::mt19937 random(20261208);
  static const wchar_t* const junk[] = {L"[", L"]", L"[]", L"=", L"==", L"[OPTION_SETTING", L"OPTION_SETTING]",
                                        L";comment", L"\t", L"KEY", L"[WINDOW]", L"\x1\x2\x3", L"  [TIMER]  ",
                                        L"[[PROGRAM_TIMER]]", L"NAME_3=", L"\xFEFF"};
  const wchar_t* const sections[] = {L"OPTION_SETTING", L"TIMER_SETTING", L"ALARM_TIME", L"TIMER",
                                     L"PROGRAM_TIMER", L"WINDOW"};
  const int cases = 400;
  for (int c = 0; c < cases; ++c) {
    SCOPED_TRACE(testing::Message() << "case " << c);
    std::wstring text;
    const int lines = int(random() % 60);
    for (int i = 0; i < lines; ++i) {
      const unsigned what = random() % 10;
      if (what == 0) {
        text += pick(random, junk);
      } else if (what == 1) {
        text += L"[" + std::wstring(pick(random, sections)) + L"]";
      } else if (what == 2) {
        text += L"NAME_" + std::to_wstring(random() % 12) + L"=" + randomStringText(random);
      } else {
        const SettingKey& k = keys[random() % count];
        if (random() % 3 == 0) text += L"[" + std::wstring(k.section) + L"]\r\n";
        text += std::wstring(k.key) + (random() % 5 ? L"=" : L" = ") +
                (k.value ? randomIntegerText(random) : randomStringText(random));
      }
      text += random() % 7 ? L"\r\n" : (random() % 2 ? L"\n" : L"\r");
    }
    // UTF-16 with its mark mostly, sometimes the same text as bytes of the ANSI code page, or bytes.
    std::string bytes;
    const unsigned encoding = random() % 6;
    if (encoding < 4) {
      bytes = utf16(text, encoding != 3);
    } else if (encoding == 4) {
      int n = WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
      bytes.resize(size_t(n));
      if (n) WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), bytes.data(), n, nullptr, nullptr);
    } else {
      bytes.resize(random() % 2000);
      for (char& b : bytes) b = char(random());
    }
    ASSERT_TRUE(writeBytes(L"tester Velmora.ini", bytes));

    // What the file holds as the profile functions read it, before the loader touches it.
    std::vector<int> raw(size_t(count), 0);
    for (int i = 0; i < count; ++i)
      if (keys[i].value)
        raw[i] = (int)GetPrivateProfileIntW(keys[i].section, keys[i].key, keys[i].defaultValue, settingsFilePath);
    // A running count-down's kind, repeat count and step as written with its end win.
    for (int i = 0; i < count; ++i)
      if (keys[i].value == &timerKind || keys[i].value == &repeatCount || keys[i].value == &programStep)
        raw[i] = (int)GetPrivateProfileIntW(L"ALARM_TIME", keys[i].key, (UINT)raw[i], settingsFilePath);
    WORD rawTime[7];
    const wchar_t* const timeKeys[7] = {L"YEAR", L"MONTH", L"DAY", L"HOUR", L"MINUTE", L"SECOND", L"MILLISECOND"};
    for (int i = 0; i < 7; ++i) rawTime[i] = (WORD)GetPrivateProfileIntW(L"ALARM_TIME", timeKeys[i], 0, settingsFilePath);

    readSettingsFile();

    for (int i = 0; i < count; ++i) {
      const SettingKey& k = keys[i];
      SCOPED_TRACE(testing::Message() << "key " << std::string(k.key, k.key + wcslen(k.key)));
      if (k.value) {
        if (k.value == &ALWAYS_TRAY && UNTOUCHABLE == 1) {
          EXPECT_EQ(ALWAYS_TRAY, 1);
          continue;
        }
        EXPECT_EQ(k.value->load(), expectedValue(k.key, raw[i], k.defaultValue)) << "raw " << raw[i];
      } else {
        ASSERT_LT(wcsnlen(k.text, size_t(k.textSize)), size_t(k.textSize));
      }
    }
    EXPECT_NE(ALARM_FILE[0], L'\0');
    EXPECT_NE(secondSoundPath[0], L'\0');
    EXPECT_DOUBLE_EQ(hmsRatio, double(HMS_ASPECT_W) / double(HMS_ASPECT_H));
    EXPECT_DOUBLE_EQ(dhmsRatio, double(DHMS_ASPECT_W) / double(DHMS_ASPECT_H));
    EXPECT_EQ(textColour, RGB(TXT_COLOR_R, TXT_COLOR_G, TXT_COLOR_B));
    EXPECT_EQ(backgroundColour, RGB(BG_COLOR_R, BG_COLOR_G, BG_COLOR_B));
    EXPECT_EQ(targetTime.wYear, rawTime[0]);
    EXPECT_EQ(targetTime.wMilliseconds, rawTime[6]);
    for (auto& name : programTimerNames) ASSERT_LT(wcsnlen(name, 128), 128u);
    // The empty tick path is written back as a key that exists.
    if (SEC_SOUND_PATH[0] == 0) {
      wchar_t probe[8];
      EXPECT_EQ(GetPrivateProfileStringW(L"OPTION_SETTING", L"SEC_SOUND_PATH", L"<none>", probe, 8, settingsFilePath), 0u);
    }
    if (HasFatalFailure() || HasFailure()) break;  // one broken case tells the story
  }
}

// --- program timer files ---

struct Loaded {
  uint32_t wait;
  std::wstring sound;
  int repeat;
  std::wstring message;
  bool operator==(const Loaded&) const = default;
};

std::vector<Loaded> loaded(const ProgramStep* list) {
  std::vector<Loaded> out;
  for (int i = 0; list && list[i].waitMs != 0; ++i) {
    EXPECT_LT(wcsnlen(list[i].soundFile, 512), 512u) << "step " << i;
    EXPECT_LT(wcsnlen(list[i].message, 256), 256u) << "step " << i;
    out.push_back({list[i].waitMs, list[i].soundFile, list[i].repeat, list[i].message});
  }
  return out;
}

// "\n" to CR LF, "\\" to "\", any other backslash kept: how a message field is read.
std::wstring unescaped(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'n') {
      out += L"\r\n";
      ++i;
    } else if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'\\') {
      out += L'\\';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

struct WaitCase {
  const wchar_t* text;
  bool kept;
  uint32_t wait;
};
const WaitCase kWaits[] = {
    {L"1500.9", true, 1500},      {L"1", true, 1},          {L"0", false, 0},
    {L"-5", false, 0},            {L"abc", false, 0},       {L"NaN", false, 0},
    {L"0.5", false, 0},           {L"", false, 0},          {L"1e3", true, 1000},
    {L"  42", true, 42},          {L"4294967295", true, 4294967295u},
    {L"99999999999", true, 4294967295u}, {L"1e400", true, 4294967295u}, {L"-1e400", false, 0},
    {L"2.5e2x", true, 250},       {L"+8", true, 8},
};

bool rowFromStep(void* context, int index, ProgramRowText* row) {
  const auto& steps = *static_cast<const std::vector<Loaded>*>(context);
  const Loaded& s = steps[size_t(index)];
  swprintf_s(row->wait, 512, L"%lu", (unsigned long)s.wait);
  wcscpy_s(row->sound, s.sound.c_str());
  wcscpy_s(row->repeat, s.repeat ? L"有" : L"無");
  wcscpy_s(row->message, s.message.c_str());
  row->message[255] = L'\0';
  escapeMessage(row->message, 256);
  return true;
}

class MalformedProgramFiles : public ProgramFolder {
 protected:
  void TearDown() override {
    if (holder_) HeapFree(GetProcessHeap(), 0, holder_);
    ProgramFolder::TearDown();
  }
  std::vector<Loaded> loadSlot(int slot) {
    PROGRAM_TIMER_NO = slot;
    loadProgramSteps(&holder_);
    return loaded(holder_);
  }
  // Writing what was loaded and loading it again gives the same list, as far as the escaped
  // messages fit the file's 255 units.
  void expectStableRoundTrip(const std::vector<Loaded>& first) {
    ASSERT_TRUE(writeProgramTimerFile(slotPath(1).c_str(), int(first.size()), rowFromStep,
                                      const_cast<std::vector<Loaded>*>(&first)));
    std::vector<Loaded> second = loadSlot(1);
    ASSERT_EQ(second.size(), first.size());
    for (size_t i = 0; i < first.size(); ++i) {
      EXPECT_EQ(second[i].wait, first[i].wait) << "step " << i;
      EXPECT_EQ(second[i].sound, first[i].sound) << "step " << i;
      EXPECT_EQ(second[i].repeat != 0, first[i].repeat != 0) << "step " << i;
      wchar_t escaped[256];
      wcsncpy_s(escaped, 256, first[i].message.c_str(), _TRUNCATE);
      // A lone CR read from a file is a line break to the writer: it comes back as CR LF.
      const std::wstring breaks = asCrLf(first[i].message);
      if (escapeMessage(escaped, 256))
        EXPECT_EQ(second[i].message, breaks) << "step " << i;
      else
        EXPECT_EQ(breaks.compare(0, second[i].message.size(), second[i].message), 0) << "step " << i;
    }
  }
  ProgramStep* holder_ = nullptr;
};

TEST_F(MalformedProgramFiles, GeneratedLinesLoadAsTheFormatSaysAndSurviveAWriteAndLoad) {
  std::mt19937 random(5101);
  static const wchar_t* const soundPieces[] = {L"a.wav", L"C:\\音\\b.wav", L"", L" ", L"\\", L"\\n", L"x",
                                               L"\"q\"", L"..\\..\\z.wav"};
  static const wchar_t* const repeatPieces[] = {L"1", L"0", L"", L"7", L"-3", L"x", L" 1", L"99999999999", L"有"};
  static const wchar_t* const messagePieces[] = {L"a", L"\\n", L"\\\\", L"\\t", L"\\", L"休憩", L"\r", L" ",
                                                 L"c:\\\\x", L"%s%d", L"\x1"};
  const int cases = 700;
  for (int c = 0; c < cases; ++c) {
    SCOPED_TRACE(testing::Message() << "case " << c);
    std::wstring file;
    std::vector<Loaded> expected;
    const int lines = int(random() % 12);
    for (int i = 0; i < lines; ++i) {
      const WaitCase& w = pick(random, kWaits);
      std::wstring fields[4] = {w.text, L"", L"", L""};
      const int fieldCount = 1 + int(random() % 5);  // five: a message with a TAB of its own
      std::wstring sound;
      for (int k = int(random() % 4); k > 0; --k) sound += pick(random, soundPieces);
      if (random() % 20 == 0) sound = std::wstring(600, L's');  // longer than the step keeps
      std::wstring repeat = pick(random, repeatPieces);
      std::wstring message, beforeTab;
      for (int k = int(random() % 10); k > 0; --k) message += pick(random, messagePieces);
      if (random() % 20 == 0) message = std::wstring(300, L'm');
      std::wstring line = fields[0];
      if (fieldCount >= 2) line += L"\t" + sound;
      if (fieldCount >= 3) line += L"\t" + repeat;
      if (fieldCount >= 4) line += L"\t" + message;
      if (fieldCount >= 5) {
        beforeTab = message;
        message = L"last";
        line += L"\tlast";
      }
      // Lines stay below the 1023 units one read takes; longer lines are another case below.
      file += line + L"\r\n";
      // The wait is the number wcstod finds at the line's start, blanks (TABs too) skipped: a line
      // with an empty wait field can take its number from a later field.
      const double value = wcstod(line.c_str(), nullptr);
      if (line[0] != L'\t') {
        EXPECT_EQ(value >= 1.0, w.kept) << testing::PrintToString(line);
      }
      if (!(value >= 1.0)) continue;
      const uint32_t wait = value >= 4294967295.0 ? 0xFFFFFFFFu : uint32_t(value);
      if (line[0] != L'\t' && w.kept) {
        EXPECT_EQ(wait, w.wait) << testing::PrintToString(line);
      }
      Loaded s{wait, fieldCount >= 2 ? sound.substr(0, 511) : L"",
               fieldCount >= 3 ? _wtoi(repeat.c_str()) : 0,
               fieldCount >= 4 ? unescaped(message.substr(0, 255)) : L""};
      expected.push_back(s);
    }
    ASSERT_TRUE(writeBytes(slotName(0), utf16(file, random() % 4 != 0)));
    std::vector<Loaded> got = loadSlot(0);
    ASSERT_EQ(got.size(), expected.size()) << testing::PrintToString(file);
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].wait, expected[i].wait) << "step " << i;
      EXPECT_EQ(got[i].sound, expected[i].sound) << "step " << i;
      EXPECT_EQ(got[i].repeat, expected[i].repeat) << "step " << i;
      EXPECT_EQ(got[i].message, expected[i].message) << "step " << i;
    }
    expectStableRoundTrip(got);
    if (HasFailure()) break;
  }
}

TEST_F(MalformedProgramFiles, RandomBytesAndHugeLinesLoadWithoutHarm) {
  std::mt19937 random(77);
  const int cases = 500;
  for (int c = 0; c < cases; ++c) {
    SCOPED_TRACE(testing::Message() << "case " << c);
    std::string bytes;
    switch (c % 5) {
      case 0:  // bytes with a UTF-16 mark
        bytes = "\xFF\xFE";
        [[fallthrough]];
      case 1: {  // bytes, no mark
        size_t n = random() % 6000;
        for (size_t i = 0; i < n; ++i) bytes += char(random());
        break;
      }
      case 2: {  // UTF-8 with its mark: digits, tabs, escapes and NULs
        bytes = "\xEF\xBB\xBF";
        static const char* const pieces[] = {"1", "9", "\t", "\\", "n", "\r\n", "\n", ".", "e", "-", "\xE3\x81\x82", ""};
        for (size_t n = random() % 3000; n > 0; --n) {
          const char* piece = pick(random, pieces);
          if (*piece)
            bytes += piece;
          else
            bytes += '\0';
        }
        break;
      }
      case 3: {  // lines far longer than one read: each 1023-unit piece counts as a line
        std::wstring text;
        for (int n = 1 + int(random() % 4); n > 0; --n) {
          text += std::to_wstring(1 + random() % 5000);
          text += std::wstring(1000 + random() % 3000, random() % 2 ? L'\t' : L'7');
          text += L"\r\n";
        }
        bytes = utf16(text);
        break;
      }
      default: {  // UTF-16 of random units, surrogates and controls included
        bytes = "\xFF\xFE";
        for (size_t n = random() % 3000; n > 0; --n) {
          static const wchar_t units[] = {L'1', L'5', L'\t', L'\\', L'n', L'\r', L'\n', 0xD800, 0xDC00, 0xFFFF,
                                          0xFEFF, L'\0', L'e', L'-', L'あ'};
          wchar_t u = random() % 4 ? pick(random, units) : wchar_t(random());
          bytes.append(reinterpret_cast<const char*>(&u), 2);
        }
      }
    }
    ASSERT_TRUE(writeBytes(slotName(0), bytes));
    std::vector<Loaded> got = loadSlot(0);
    for (const Loaded& s : got) ASSERT_GE(s.wait, 1u);
    expectStableRoundTrip(got);
    if (HasFailure()) break;
  }
}

// --- command line and dialog texts ---

TEST(MalformedArguments, CommandLineNumbersFollowTheWideIntegerReadingAndTheRestIsRefused) {
  std::mt19937 random(42);
  static const wchar_t* const fixed[] = {L"", L"0", L"-1", L"1", L"59", L"60", L"3599", L"3600", L"4294967",
                                         L"4294968", L"4294967296", L"2147483647", L"2147483648",
                                         L"-2147483648", L"99999999999999", L"１２", L"12abc", L" 30",
                                         L"+30", L"0x20", L"1e3", L"\"90\"", L"--5"};
  for (int c = 0; c < 1500; ++c) {
    std::wstring command = L"velmora.exe ";
    switch (c % 3) {
      case 0: command += pick(random, fixed); break;
      case 1: command += std::to_wstring(random() % 5000000); break;
      default: command += randomText(random, L"0123456789 -+\"\\x.", 16);
    }
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(command.c_str(), &argc);
    ASSERT_NE(argv, nullptr);
    const wchar_t* argument = argc >= 2 ? argv[1] : nullptr;
    // Nothing in this alphabet makes a unit or clock form: a number alone (blanks, a sign,
    // digits) is read as _wtoi reads it, a blank argument asks for nothing, the rest is refused.
    const std::wstring text = argument ? argument : L"";
    const size_t first = text.find_first_not_of(L" ");
    const size_t digits = first == std::wstring::npos ? first : text.find_first_not_of(L"+-", first);
    const bool plain = digits != std::wstring::npos && digits - first <= 1 &&
                       text.find_first_of(L"0123456789１２", digits) == digits &&
                       text.find_last_not_of(L" ") < text.find_first_not_of(L"0123456789１２", digits);
    const int count = plain ? _wtoi(argument) : 0;
    const CommandLineInterval got = intervalFromArgument(argument);
    SCOPED_TRACE(testing::Message() << "case " << c << " count " << count);
    EXPECT_EQ(got.refused, !plain && first != std::wstring::npos);
    EXPECT_EQ(got.given, count >= 1);
    if (count >= 1) {
      EXPECT_EQ(got.hours, count / 3600 > 1193 ? 1193 : count / 3600);
      EXPECT_EQ(got.minutes, count / 60 % 60);
      EXPECT_EQ(got.seconds, count % 60);
      EXPECT_TRUE(got.minutes >= 0 && got.minutes <= 59 && got.seconds >= 0 && got.seconds <= 59);
    }
    LocalFree(argv);
    if (HasFailure()) break;
  }
  EXPECT_FALSE(intervalFromArgument(nullptr).given);
}

// The reading dialogNumber promises, written out independently: blanks, an optional sign and
// ASCII digits, nothing else; anything else keeps the current value.
int expectedDialogNumber(const std::wstring& text, int lo, int hi, int current) {
  auto clamp = [&](long long v) { return int(v < lo ? lo : (v > hi ? hi : v)); };
  size_t i = 0;
  auto blank = [&](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\x3000'; };
  while (i < text.size() && blank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  if (i >= text.size() || text[i] < L'0' || text[i] > L'9') return clamp(current);
  long long v = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
    if (v < 10000000000LL) v = v * 10 + (text[i] - L'0');
  while (i < text.size() && blank(text[i])) ++i;
  if (i < text.size()) return clamp(current);
  return clamp(negative ? -v : v);
}

TEST(MalformedDialogTexts, TypedNumbersAreClampedOrKeepTheCurrentValue) {
  std::mt19937 random(1234);
  struct Range {
    int lo, hi;
  };
  const Range ranges[] = {{0, 1193}, {0, 59}, {1, 100}, {0, 255}, {1, 2147483647}, {0, 0}};
  for (int c = 0; c < 2000; ++c) {
    std::wstring text;
    if (c % 4 == 0)
      text = std::wstring(1 + random() % 30, L"0123456789"[random() % 10]);
    else
      text = randomText(random, L"0123456789  -+\tab.\x3000１９", 12);
    const Range& r = pick(random, ranges);
    const int current = int(random() % 3000) - 500;
    SCOPED_TRACE(testing::Message() << "case " << c);
    const int got = dialogNumber(text.c_str(), r.lo, r.hi, current);
    EXPECT_EQ(got, expectedDialogNumber(text, r.lo, r.hi, current));
    EXPECT_TRUE(got >= r.lo && got <= r.hi);
    if (HasFailure()) break;
  }
  // Full-width digits are no number to an edit that takes digits only.
  EXPECT_EQ(dialogNumber(L"１２", 0, 59, 7), 7);
  EXPECT_EQ(dialogNumber(nullptr, 0, 59, 99), 59);
}

TEST(MalformedDialogTexts, HoursFromTheUpDownNeverLeaveTheirRange) {
  std::mt19937 random(9);
  for (int c = 0; c < 1000; ++c) {
    DWORD answer = c % 2 ? DWORD(random()) : DWORD(random() % 2000);
    const int got = clampDialogHours(answer);
    EXPECT_EQ(got, answer > 1193 ? 1193 : int(answer)) << answer;
    EXPECT_TRUE(got >= 0 && got <= 1193) << answer;
  }
}

}  // namespace
