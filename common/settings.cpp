#include "common/settings.h"
#include "common/data_folder.h"
#include "common/timer_state.h"
#include "common/window_requests.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>

std::atomic<int> IN_TRAY, ALWAYS_TRAY, UNTOUCHABLE, HIDE_TASKBAR, Z_ORDER, EXIT_CHECK,
    START_SYURYO_CHECK, BALLOON, WIN_SAVE, JIKOKU_LOOP;
std::atomic<int> TXT_COLOR_R, TXT_COLOR_G, TXT_COLOR_B, BG_COLOR_R, BG_COLOR_G, BG_COLOR_B;
wchar_t FONT_NAME[32];
std::atomic<int> FONT_WEIGHT, FONT_ITALIC;
std::atomic<int> ALARM_PLAY, ALARM_LOOP;
wchar_t ALARM_FILE[520];
std::atomic<int> ENABLE_BG_IMG;
wchar_t BG_IMG_FILE[520];
std::atomic<int> TIMER_LOOP;
std::atomic<int> DHMS_ASPECT_W, DHMS_ASPECT_H, HMS_ASPECT_W, HMS_ASPECT_H;
std::atomic<int> ENABLE_ALPHA, WIN_ALPHA, BG_IMG_TOUKA, BG_IMG_TOUKA_R, BG_IMG_TOUKA_G, BG_IMG_TOUKA_B;
std::atomic<int> SHOW_SEC, SECOND_SOUND;
wchar_t SEC_SOUND_PATH[1024];
std::atomic<int> AUTO_CLOSE_INDEX, AUTO_CLOSE_KT, AUTO_CLOSE_JT, AUTO_CLOSE_PT, AUTO_CLOSE_SEC;
std::atomic<int> PROGRAM_TIMER_NO, PROGRAM_TIMER_LOOP;
wchar_t programTimerNames[10][128];

std::atomic<COLORREF> textColour{0}, backgroundColour{0x00FFFFFF}, bgImageKeyColour{0};
double hmsRatio = 1.6, dhmsRatio = 2.0;
wchar_t secondSoundPath[1024];

wchar_t programDirectory[1024];
wchar_t userName[260];
wchar_t settingsFilePath[1024];

namespace {

const wchar_t OPT[] = L"OPTION_SETTING";
const wchar_t TSET[] = L"TIMER_SETTING";
const wchar_t TMR[] = L"TIMER";
const wchar_t PRG[] = L"PROGRAM_TIMER";
const wchar_t WND[] = L"WINDOW";
const wchar_t ATIME[] = L"ALARM_TIME";

#define INT_KEY(sec, name, clamp, def, lo, hi) {sec, L## #name, clamp, def, lo, hi, &name, nullptr, 0, nullptr}
#define TEXT_KEY(sec, name, size, def) {sec, L## #name, Clamp::None, 0, 0, 0, nullptr, name, size, def}

// OPTION_SETTING in file order (the loader reads them in this order).
const SettingKey optionKeys[] = {
    INT_KEY(OPT, IN_TRAY, Clamp::Bool, 0, 0, 0),
    INT_KEY(OPT, ALWAYS_TRAY, Clamp::Bool, 1, 0, 0),
    INT_KEY(OPT, UNTOUCHABLE, Clamp::RangeOrZero, 0, 0, 2),
    INT_KEY(OPT, HIDE_TASKBAR, Clamp::Bool, 0, 0, 0),
    INT_KEY(OPT, Z_ORDER, Clamp::RangeOrZero, 0, 0, 2),
    INT_KEY(OPT, EXIT_CHECK, Clamp::Bool, 0, 0, 0),
    INT_KEY(OPT, START_SYURYO_CHECK, Clamp::Bool, 1, 0, 0),
    INT_KEY(OPT, BALLOON, Clamp::Bool, 0, 0, 0),
    INT_KEY(OPT, WIN_SAVE, Clamp::Bool, 1, 0, 0),
    INT_KEY(OPT, JIKOKU_LOOP, Clamp::Bool, 1, 0, 0),
    INT_KEY(OPT, TXT_COLOR_R, Clamp::Low8, 0, 0, 0),
    INT_KEY(OPT, TXT_COLOR_G, Clamp::Low8, 0, 0, 0),
    INT_KEY(OPT, TXT_COLOR_B, Clamp::Low8, 0, 0, 0),
    INT_KEY(OPT, BG_COLOR_R, Clamp::Low8, 255, 0, 0),
    INT_KEY(OPT, BG_COLOR_G, Clamp::Low8, 255, 0, 0),
    INT_KEY(OPT, BG_COLOR_B, Clamp::Low8, 255, 0, 0),
    TEXT_KEY(OPT, FONT_NAME, 32, L"ＭＳ ゴシック"),
    INT_KEY(OPT, FONT_WEIGHT, Clamp::None, 400, 0, 0),
    INT_KEY(OPT, FONT_ITALIC, Clamp::Bool, 0, 0, 0),
    INT_KEY(OPT, ALARM_PLAY, Clamp::Bool, 1, 0, 0),
    TEXT_KEY(OPT, ALARM_FILE, 520, L"alarm.wav"),
    INT_KEY(OPT, ALARM_LOOP, Clamp::Bool, 0, 0, 0),
    INT_KEY(OPT, ENABLE_BG_IMG, Clamp::Bool, 0, 0, 0),
    TEXT_KEY(OPT, BG_IMG_FILE, 520, L"bg.bmp"),
    INT_KEY(OPT, TIMER_LOOP, Clamp::Bool, 0, 0, 0),
    INT_KEY(OPT, DHMS_ASPECT_W, Clamp::AtLeastOne, 2, 0, 0),
    INT_KEY(OPT, DHMS_ASPECT_H, Clamp::AtLeastOne, 1, 0, 0),
    INT_KEY(OPT, HMS_ASPECT_W, Clamp::AtLeastOne, 16, 0, 0),
    INT_KEY(OPT, HMS_ASPECT_H, Clamp::AtLeastOne, 10, 0, 0),
    INT_KEY(OPT, ENABLE_ALPHA, Clamp::Bool, 0, 0, 0),
    INT_KEY(OPT, WIN_ALPHA, Clamp::Low8, 255, 0, 0),
    INT_KEY(OPT, BG_IMG_TOUKA, Clamp::Bool, 0, 0, 0),
    INT_KEY(OPT, BG_IMG_TOUKA_R, Clamp::Low8, 0, 0, 0),
    INT_KEY(OPT, BG_IMG_TOUKA_G, Clamp::Low8, 0, 0, 0),
    INT_KEY(OPT, BG_IMG_TOUKA_B, Clamp::Low8, 0, 0, 0),
    INT_KEY(OPT, SHOW_SEC, Clamp::Bool, 1, 0, 0),
    INT_KEY(OPT, SECOND_SOUND, Clamp::Bool, 0, 0, 0),
    TEXT_KEY(OPT, SEC_SOUND_PATH, 1024, L""),
};

const SettingKey autoCloseKeys[] = {
    INT_KEY(OPT, AUTO_CLOSE_INDEX, Clamp::RangeOrZero, 0, 0, 2),
    INT_KEY(OPT, AUTO_CLOSE_KT, Clamp::Bool, 0, 0, 0),
    INT_KEY(OPT, AUTO_CLOSE_JT, Clamp::Bool, 0, 0, 0),
    INT_KEY(OPT, AUTO_CLOSE_PT, Clamp::Bool, 0, 0, 0),
    INT_KEY(OPT, AUTO_CLOSE_SEC, Clamp::NegToDefault, 300, 0, 0),
};

const SettingKey intervalKeys[] = {
    {TSET, L"HOUR", Clamp::Cap, 0, 0, 1193, &intervalHours, nullptr, 0, nullptr},
    {TSET, L"MIN", Clamp::Cap, 0, 0, 59, &intervalMinutes, nullptr, 0, nullptr},
    {TSET, L"SEC", Clamp::Cap, 0, 0, 59, &intervalSeconds, nullptr, 0, nullptr},
};

const SettingKey timerStateKeys[] = {
    {TMR, L"TYPE", Clamp::RangeOrZero, 0, 0, 2, &timerKind, nullptr, 0, nullptr},
    {TMR, L"LOOP_CNT", Clamp::NegToZero, 0, 0, 0, &repeatCount, nullptr, 0, nullptr},
    {PRG, L"STEP", Clamp::NegToZero, 0, 0, 0, &programStep, nullptr, 0, nullptr},
};

const SettingKey programKeys[] = {
    {PRG, L"NO", Clamp::RangeOrZero, 0, 0, 9, &PROGRAM_TIMER_NO, nullptr, 0, nullptr},
    {PRG, L"LOOP", Clamp::Bool, 0, 0, 0, &PROGRAM_TIMER_LOOP, nullptr, 0, nullptr},
};

// Everything in one list for tests that walk the whole table.
SettingKey allKeys[std::size(optionKeys) + std::size(autoCloseKeys) + std::size(intervalKeys) +
                   std::size(timerStateKeys) + std::size(programKeys)];

void readKey(const SettingKey& k) {
  if (k.value) {
    int raw = (int)GetPrivateProfileIntW(k.section, k.key, k.defaultValue, settingsFilePath);
    k.value->store(clampSettingValue(k.clamp, raw, k.defaultValue, k.lo, k.hi));
  } else {
    GetPrivateProfileStringW(k.section, k.key, k.defaultText, k.text, k.textSize, settingsFilePath);
  }
}

template <size_t N>
void readKeys(const SettingKey (&keys)[N]) {
  for (const SettingKey& k : keys) readKey(k);
}

BOOL isFramed(HWND window) {
  return (GetWindowLongW(window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME)) != 0;
}

}  // namespace

int clampSettingValue(Clamp clamp, int raw, int defaultValue, int lo, int hi) {
  switch (clamp) {
    case Clamp::None: return raw;
    case Clamp::Bool: return raw != 0 ? 1 : 0;
    case Clamp::Low8: return raw & 0xFF;
    case Clamp::RangeOrZero: return (raw < lo || raw > hi) ? 0 : raw;
    case Clamp::Cap: return raw < lo ? lo : (raw > hi ? hi : raw);
    case Clamp::AtLeastOne: return raw < 1 ? 1 : raw;
    case Clamp::NegToDefault: return raw < 0 ? defaultValue : raw;
    case Clamp::NegToZero: return raw < 0 ? 0 : raw;
  }
  return raw;
}

COLORREF colourFromComponents(int r, int g, int b) {
  return RGB(r & 0xFF, g & 0xFF, b & 0xFF);
}

const SettingKey* settingKeys(int* count) {
  if (!allKeys[0].key) {
    SettingKey* out = allKeys;
    for (const auto& k : optionKeys) *out++ = k;
    for (const auto& k : autoCloseKeys) *out++ = k;
    for (const auto& k : intervalKeys) *out++ = k;
    for (const auto& k : timerStateKeys) *out++ = k;
    for (const auto& k : programKeys) *out++ = k;
  }
  *count = (int)std::size(allKeys);
  return allKeys;
}

int buildProgramDirectory() {
  wchar_t module[520];
  DWORD n = GetModuleFileNameW(nullptr, module, 520);
  if (n == 0 || n >= 520) return 0;
  wchar_t drive[6], dir[512];
  if (_wsplitpath_s(module, drive, 6, dir, 512, nullptr, 0, nullptr, 0) != 0) return 0;
  swprintf_s(programDirectory, 1024, L"%ls%ls", drive, dir);
  return 1;
}

void readTimerState() { readKeys(timerStateKeys); }

void readAutoCloseSettings() { readKeys(autoCloseKeys); }

void loadSettings() {
  buildProgramDirectory();
  DWORD size = 260;
  if (!GetUserNameW(userName, &size)) userName[0] = 0;
  swprintf_s(settingsFilePath, 1024, L"%ls%ls Velmora.ini", programDirectory, userName);
  settleDataFolder();
  readSettingsFile();
}

void readSettingsFile() {
  readTimerState();
  readAutoCloseSettings();

  for (const SettingKey& k : optionKeys) {
    readKey(k);
    if (k.value == &UNTOUCHABLE && UNTOUCHABLE == 1) ALWAYS_TRAY = 1;
    if (k.text == ALARM_FILE && ALARM_FILE[0] == 0) wcscpy_s(ALARM_FILE, L"alarm.wav");
    if (k.text == SEC_SOUND_PATH) {
      if (SEC_SOUND_PATH[0] == 0) {
        swprintf_s(secondSoundPath, 1024, L"%lssecond.wav", programDirectory);
        writeSettingString(OPT, L"SEC_SOUND_PATH", L"");
      } else {
        wcscpy_s(secondSoundPath, SEC_SOUND_PATH);
      }
    }
  }
  dhmsRatio = (double)DHMS_ASPECT_W / (double)DHMS_ASPECT_H;
  hmsRatio = (double)HMS_ASPECT_W / (double)HMS_ASPECT_H;
  textColour = colourFromComponents(TXT_COLOR_R, TXT_COLOR_G, TXT_COLOR_B);
  backgroundColour = colourFromComponents(BG_COLOR_R, BG_COLOR_G, BG_COLOR_B);
  bgImageKeyColour = colourFromComponents(BG_IMG_TOUKA_R, BG_IMG_TOUKA_G, BG_IMG_TOUKA_B);

  readKeys(intervalKeys);

  static const wchar_t* const timeKeys[7] = {L"YEAR", L"MONTH", L"DAY", L"HOUR",
                                             L"MINUTE", L"SECOND", L"MILLISECOND"};
  WORD* fields[7] = {&targetTime.wYear, &targetTime.wMonth, &targetTime.wDay, &targetTime.wHour,
                     &targetTime.wMinute, &targetTime.wSecond, &targetTime.wMilliseconds};
  for (int i = 0; i < 7; ++i)
    *fields[i] = (WORD)GetPrivateProfileIntW(ATIME, timeKeys[i], 0, settingsFilePath);
  // The end as an instant (UTC): a wall time in the hour that a fall-back night shows twice
  // does not say which pass it is. Files without it give 0: resume reads the wall time.
  wchar_t utc[32];
  GetPrivateProfileStringW(ATIME, L"END_UTC", L"0", utc, 32, settingsFilePath);
  const long long endUtc = _wcstoi64(utc, nullptr, 10);
  targetUtcMs = endUtc > 0 ? endUtc : 0;
  GetPrivateProfileStringW(ATIME, L"ZONE", L"", runTimeZone, 128, settingsFilePath);
  // A run saved paused: the time it had left, up to the longest count-down (beyond the signed
  // range that GetPrivateProfileIntW reads). Files without the keys hold a running one.
  GetPrivateProfileStringW(ATIME, L"PAUSE_LEFT", L"0", utc, 32, settingsFilePath);
  const long long left = _wcstoi64(utc, nullptr, 10);
  const bool savedPaused = GetPrivateProfileIntW(ATIME, L"PAUSED", 0, settingsFilePath) != 0;
  pausedLeftMs = savedPaused && left > 0 && left <= 0xFFFFFFFFll ? (uint32_t)left : 0;
  // The kind, repeat count and step written with the end win over the keys written after it.
  for (const SettingKey& k : timerStateKeys) {
    const int raw = (int)GetPrivateProfileIntW(ATIME, k.key, *k.value, settingsFilePath);
    *k.value = clampSettingValue(k.clamp, raw, k.defaultValue, k.lo, k.hi);
  }

  readKeys(programKeys);
  for (int i = 0; i < 10; ++i) {
    wchar_t key[16];
    swprintf_s(key, 16, L"NAME_%d", i);
    GetPrivateProfileStringW(PRG, key, L"", programTimerNames[i], 128, settingsFilePath);
  }
}

void readWindowRect(int* left, int* top, int* width, int* height) {
  wchar_t text[1024];
  GetPrivateProfileStringW(WND, L"LEFT", L"0", text, 1024, settingsFilePath);
  *left = _wtoi(text);
  GetPrivateProfileStringW(WND, L"TOP", L"0", text, 1024, settingsFilePath);
  *top = _wtoi(text);
  // 0 when not saved: the window then opens at its default size for the monitor's DPI.
  *width = (int)GetPrivateProfileIntW(WND, L"WIDTH", 0, settingsFilePath);
  *height = (int)GetPrivateProfileIntW(WND, L"HEIGHT", 0, settingsFilePath);
}

int readWindowInt(const wchar_t* key, int defaultValue) {
  return (int)GetPrivateProfileIntW(WND, key, defaultValue, settingsFilePath);
}

int readResumeFlag() { return (int)GetPrivateProfileIntW(TMR, L"RESUME", 0, settingsFilePath); }

int readSavedRepeatSeconds() {
  constexpr int kLongestInterval = 1193 * 3600 + 59 * 60 + 59;  // what TIMER_SETTING can hold
  const int seconds = (int)GetPrivateProfileIntW(ATIME, L"REPEAT_SEC", -1, settingsFilePath);
  return seconds < 0 ? -1 : (seconds > kLongestInterval ? kLongestInterval : seconds);
}

// The profile functions rewrite the whole file, and on a full disk they leave it cut short
// while reporting success: every key after the cut would be lost. A write that grows the file
// goes ahead only when the disk has room for the file twice over (or the room cannot be asked
// for); one that does not grow it fits in the room the old file leaves.
static std::atomic<bool> settingsWriteRefused{false};  // the last write was refused for want of room

bool settingsWriteFits(unsigned long long freeBytes, unsigned long long fileBytes, unsigned long long addedBytes) {
  return freeBytes >= 2 * (fileBytes + addedBytes) + 4096;
}

static bool roomForSettingsWrite(size_t oldChars, size_t newChars) {
  settingsWriteRefused = false;
  if (newChars <= oldChars) return true;
  wchar_t folder[1024];
  wcscpy_s(folder, settingsFilePath);
  wchar_t* slash = wcsrchr(folder, L'\\');
  if (!slash) return true;
  slash[1] = L'\0';
  ULARGE_INTEGER freeBytes{};
  if (!GetDiskFreeSpaceExW(folder, &freeBytes, nullptr, nullptr)) return true;
  WIN32_FILE_ATTRIBUTE_DATA file{};
  unsigned long long size = 0;
  if (GetFileAttributesExW(settingsFilePath, GetFileExInfoStandard, &file))
    size = ((unsigned long long)file.nFileSizeHigh << 32) | file.nFileSizeLow;
  settingsWriteRefused = !settingsWriteFits(freeBytes.QuadPart, size, (newChars - oldChars) * sizeof(wchar_t) + 256);
  if (settingsWriteRefused) SetLastError(ERROR_DISK_FULL);
  return !settingsWriteRefused;
}

// The length of a key's value as the file holds it, or 0 when it is not there.
static size_t storedLength(const wchar_t* section, const wchar_t* key) {
  wchar_t text[1100];
  const DWORD n = GetPrivateProfileStringW(section, key, L"\x01", text, 1100, settingsFilePath);
  return n == 1 && text[0] == L'\x01' ? 0 : n;
}

// A file first created by the profile functions would be written in the ANSI code page;
// one that starts with a UTF-16LE byte-order mark stays UTF-16.
static void createSettingsFileIfMissing() {
  if (GetFileAttributesW(settingsFilePath) != INVALID_FILE_ATTRIBUTES) return;
  HANDLE file = CreateFileW(settingsFilePath, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  static const BYTE bom[2] = {0xFF, 0xFE};
  DWORD written = 0;
  WriteFile(file, bom, 2, &written, nullptr);
  CloseHandle(file);
}

BOOL writeSettingString(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
  const size_t stored = storedLength(section, key);
  // A key not there yet adds its name too.
  if (!roomForSettingsWrite(stored, value ? wcslen(value) + (stored ? 0 : wcslen(key) + 4) : 0)) return FALSE;
  createSettingsFileIfMissing();
  return WritePrivateProfileStringW(section, key, value, settingsFilePath);
}

BOOL writeSettingInt(const wchar_t* section, const wchar_t* key, int value) {
  wchar_t text[16];
  _itow_s(value, text, 16, 10);
  return writeSettingString(section, key, text);
}

BOOL writeOptionInt(const wchar_t* key, int value) { return writeSettingInt(OPT, key, value); }

static FailureNotice settingsWriteNotice() {
  return settingsWriteRefused ? NOTICE_SETTINGS_DISK_FULL : NOTICE_SETTINGS_WRITE;
}

void showSettingsWriteFailure(HWND owner) {
  MessageBoxW(owner, failureNoticeText(settingsWriteNotice()), L"Velmora", MB_ICONERROR);
}

BOOL writeOptionGroup(HWND owner, const IntKeyValue* items, int count) {
  // Every key is tried (one refused write need not stop the others) and a failure among them
  // is told once: only the first used to be, and a later one was lost without a word.
  BOOL all = TRUE;
  for (int i = 0; i < count; ++i)
    if (!writeOptionInt(items[i].key, items[i].value)) all = FALSE;
  if (!all && owner) showSettingsWriteFailure(owner);
  return all;
}

void saveWindowPosition(HWND window) {
  if (IsZoomed(window) || IsIconic(window)) return;
  RECT r;
  GetWindowRect(window, &r);
  writeSettingInt(WND, L"TOP", r.top);
  writeSettingInt(WND, L"LEFT", r.left);
}

void saveWindowSize(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  writeSettingInt(WND, L"WIDTH", r.right - r.left);
  writeSettingInt(WND, L"HEIGHT", r.bottom - r.top);
}

void saveWindowState(HWND window) {
  writeSettingInt(WND, L"ICONIC", IsIconic(window) ? 1 : 0);
  writeSettingInt(WND, L"ZOOMED", IsZoomed(window) ? 1 : 0);
  writeSettingInt(WND, L"LAYERED", isFramed(window) ? 0 : 1);
}

void saveTimerState() {
  writeSettingInt(TMR, L"TYPE", timerKind);
  writeSettingInt(TMR, L"LOOP_CNT", repeatCount);
  writeSettingInt(PRG, L"STEP", programStep);
}

void saveTargetTime(HWND window) {
  // One write for the whole section: a kill can leave the old end or the new one, never a mix
  // of both. The count-down's kind, repeat count and step go with its end in the same write,
  // so that resume never pairs an end with another step's number (the keys of TIMER and
  // PROGRAM_TIMER that hold them too are written one by one afterwards).
  const SYSTEMTIME t = targetTime;
  wchar_t endUtc[24];
  _i64tow_s(targetUtcMs.load(), endUtc, 24, 10);
  wchar_t section[512];
  const int n = swprintf_s(section, 512,
                           L"YEAR=%u|MONTH=%u|DAY=%u|HOUR=%u|MINUTE=%u|SECOND=%u|MILLISECOND=%u|TYPE=%d|LOOP_CNT=%d|"
                           L"STEP=%d|END_UTC=%ls|PAUSED=%d|PAUSE_LEFT=%u|REPEAT_SEC=%d|ZONE=%ls|",
                           t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, timerKind.load(),
                           repeatCount.load(), programStep.load(), endUtc, paused.load(),
                           paused ? pausedLeftMs.load() : 0u, intervalTotalSeconds(), runTimeZone);
  for (int i = 0; i < n; ++i)
    if (section[i] == L'|') section[i] = L'\0';
  // The section as the file holds it: a rewrite of the same length (a pause, a moved clock) fits.
  wchar_t stored[512];
  const DWORD storedChars = GetPrivateProfileSectionW(ATIME, stored, 512, settingsFilePath);
  bool written = n >= 0 && roomForSettingsWrite(storedChars, (size_t)n);
  if (written) {
    createSettingsFileIfMissing();
    written = WritePrivateProfileSectionW(ATIME, section, settingsFilePath) != FALSE;
  }
  // Told by the window: the count-down and the start go on at once.
  if (!written) tellFailure(window, settingsWriteNotice());
}

void saveResumeFlag(int value) {
  wchar_t text[8];
  _itow_s(value, text, 8, 10);
  // Told: a stop that is not on disk would resume at the next start.
  if (!writeSettingString(TMR, L"RESUME", text)) tellFailure(nullptr, settingsWriteNotice());
}

void saveProgramTimerName() {
  int n = PROGRAM_TIMER_NO;
  wchar_t key[16];
  swprintf_s(key, 16, L"NAME_%d", n);
  writeSettingString(PRG, key, programTimerNames[n]);
}

void saveAutoCloseSettings() {
  writeOptionInt(L"AUTO_CLOSE_INDEX", AUTO_CLOSE_INDEX);
  writeOptionInt(L"AUTO_CLOSE_KT", AUTO_CLOSE_KT);
  writeOptionInt(L"AUTO_CLOSE_JT", AUTO_CLOSE_JT);
  writeOptionInt(L"AUTO_CLOSE_PT", AUTO_CLOSE_PT);
  writeOptionInt(L"AUTO_CLOSE_SEC", AUTO_CLOSE_SEC);
}

void saveAlarmFile() {
  writeSettingString(OPT, L"ALARM_FILE", ALARM_FILE);
  writeOptionInt(L"ALARM_LOOP", ALARM_LOOP);
}

void saveIntervalSetting(HWND window) {
  InvalidateRect(window, nullptr, FALSE);
  if (!writeSettingInt(TSET, L"HOUR", intervalHours)) {
    showSettingsWriteFailure(window);
    return;
  }
  writeSettingInt(TSET, L"MIN", intervalMinutes);
  writeSettingInt(TSET, L"SEC", intervalSeconds);
  // The running run's next repeat takes the new length, and so does its resume.
  if (runActive) writeSettingInt(ATIME, L"REPEAT_SEC", intervalTotalSeconds());
}
