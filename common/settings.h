// The per-user settings file beside the program: every key, its default and clamping,
// and the writers. Settings live in globals named by their keys for the whole run.
#pragma once
#include <windows.h>
#include <atomic>

// Section OPTION_SETTING
extern std::atomic<int> IN_TRAY, ALWAYS_TRAY, UNTOUCHABLE, HIDE_TASKBAR, Z_ORDER, EXIT_CHECK,
    START_SYURYO_CHECK, BALLOON, WIN_SAVE, JIKOKU_LOOP;
extern std::atomic<int> TXT_COLOR_R, TXT_COLOR_G, TXT_COLOR_B, BG_COLOR_R, BG_COLOR_G, BG_COLOR_B;
extern wchar_t FONT_NAME[32];
extern std::atomic<int> FONT_WEIGHT, FONT_ITALIC;
extern std::atomic<int> ALARM_PLAY, ALARM_LOOP;
extern wchar_t ALARM_FILE[520];
extern std::atomic<int> ENABLE_BG_IMG;
extern wchar_t BG_IMG_FILE[520];
extern std::atomic<int> TIMER_LOOP;
extern std::atomic<int> DHMS_ASPECT_W, DHMS_ASPECT_H, HMS_ASPECT_W, HMS_ASPECT_H;
extern std::atomic<int> ENABLE_ALPHA, WIN_ALPHA, BG_IMG_TOUKA, BG_IMG_TOUKA_R, BG_IMG_TOUKA_G, BG_IMG_TOUKA_B;
extern std::atomic<int> SHOW_SEC, SECOND_SOUND;
extern wchar_t SEC_SOUND_PATH[1024];
extern std::atomic<int> AUTO_CLOSE_INDEX, AUTO_CLOSE_KT, AUTO_CLOSE_JT, AUTO_CLOSE_PT, AUTO_CLOSE_SEC;
// Section PROGRAM_TIMER (STEP lives in the timer state as programStep)
extern std::atomic<int> PROGRAM_TIMER_NO, PROGRAM_TIMER_LOOP;
extern wchar_t programTimerNames[10][128];

// Derived values, held in memory only
extern std::atomic<COLORREF> textColour, backgroundColour, bgImageKeyColour;
extern double hmsRatio, dhmsRatio;
extern wchar_t secondSoundPath[1024];  // SEC_SOUND_PATH, or "<programDirectory>second.wav"

extern wchar_t programDirectory[1024];
extern wchar_t userName[260];
extern wchar_t settingsFilePath[1024];

// How a value read from the file is brought into range.
enum class Clamp {
  None,         // as read
  Bool,         // non-zero becomes 1
  Low8,         // low 8 bits kept
  RangeOrZero,  // outside lo..hi becomes 0
  Cap,          // below lo becomes lo, above hi becomes hi
  AtLeastOne,   // below 1 becomes 1
  NegToDefault, // negative becomes the default
  NegToZero,    // negative becomes 0
};

// One row of the settings table: one key of the file.
struct SettingKey {
  const wchar_t* section;
  const wchar_t* key;
  Clamp clamp;
  int defaultValue;
  int lo, hi;
  std::atomic<int>* value;       // integer keys
  wchar_t* text;                 // string keys (value == nullptr)
  int textSize;
  const wchar_t* defaultText;
};

// Applies a row's clamping rule to a raw value read from the file.
int clampSettingValue(Clamp clamp, int raw, int defaultValue, int lo, int hi);

// Colour helpers: three components (low 8 bits each) to one COLORREF and back.
COLORREF colourFromComponents(int r, int g, int b);

// Reads every setting into memory with defaults and clamping; creates the file on first start.
void loadSettings();
// The reading part of loadSettings, from the file settingsFilePath names.
void readSettingsFile();
// Fills programDirectory from the module path (1 on success, 0 on failure).
int buildProgramDirectory();
// TIMER/TYPE, TIMER/LOOP_CNT, PROGRAM_TIMER/STEP with their clamping.
void readTimerState();
// The five AUTO_CLOSE_ keys with their clamping.
void readAutoCloseSettings();
// WINDOW section: saved left, top, width, height (width and height 0 when not saved).
void readWindowRect(int* left, int* top, int* width, int* height);
// An integer of the WINDOW section (ICONIC, ZOOMED, LAYERED).
int readWindowInt(const wchar_t* key, int defaultValue);
// TIMER/RESUME as stored.
int readResumeFlag();
// ALARM_TIME/REPEAT_SEC, written by saveTargetTime from the interval in memory: the length in
// seconds that the saved run's next repeat takes (a length from the command line is kept
// nowhere else); -1 when the file has none.
int readSavedRepeatSeconds();

// Writes one string value; creates the file with a UTF-16 byte-order mark first when missing,
// so names and paths outside the ANSI code page survive. Returns WritePrivateProfileStringW's result.
BOOL writeSettingString(const wchar_t* section, const wchar_t* key, const wchar_t* value);
BOOL writeSettingInt(const wchar_t* section, const wchar_t* key, int value);
// One OPTION_SETTING integer key.
BOOL writeOptionInt(const wchar_t* key, int value);
// A settings write fits on the disk: room for the file and the new text twice over.
bool settingsWriteFits(unsigned long long freeBytes, unsigned long long fileBytes, unsigned long long addedBytes);
// Shows "設定ファイルの書き込みに失敗しました" over the owner, or that the disk is full when
// the last write was refused for want of room.
void showSettingsWriteFailure(HWND owner);
// Writes a group of OPTION_SETTING integer keys in order; only the first write is tested.
// On its failure shows the failure message (when owner is given), skips the rest, returns FALSE.
struct IntKeyValue { const wchar_t* key; int value; };
BOOL writeOptionGroup(HWND owner, const IntKeyValue* items, int count);

void saveWindowPosition(HWND window);
void saveWindowSize(HWND window);
void saveWindowState(HWND window);
// TIMER/TYPE, TIMER/LOOP_CNT and PROGRAM_TIMER/STEP, one key at a time.
void saveTimerState();
// Section ALARM_TIME in one write: targetTime with its instant targetUtcMs (END_UTC) and
// timerKind, repeatCount and programStep, which the loader prefers to the keys of
// saveTimerState, and whether the count-down is paused with how much left (PAUSED, PAUSE_LEFT).
// A failed write is told by window (or the main window), never on the calling thread.
void saveTargetTime(HWND window);
// TIMER/RESUME; a failed write is told by the main window.
void saveResumeFlag(int value);
void saveProgramTimerName();
void saveAutoCloseSettings();
void saveAlarmFile();
void saveIntervalSetting(HWND window);

// The settings table (for tests and the loader).
const SettingKey* settingKeys(int* count);
