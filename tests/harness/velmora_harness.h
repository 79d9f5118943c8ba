// End-to-end test harness: runs a real velmora.exe in a private temporary
// folder and drives it from the test process through window messages.
//
//   e2e::VelmoraProcess app;                        // fresh folder with the program
//   app.writeSettings(L"[OPTION_SETTING]\r\nSHOW_SEC=0\r\n");   // optional
//   ASSERT_TRUE(app.start()) << app.lastError();
//   app.key(VK_F5);
//   HWND box = app.waitForMessageBox(L"カウントダウンスタート");
//
// The object owns the process and the folder: its destructor kills a program
// that is still running and deletes the folder, also when an assertion failed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Polls pred every pollMs until it returns true (then true) or timeoutMs has
// passed (then false). pred is always called at least once.
bool waitFor(const std::function<bool()>& pred, DWORD timeoutMs, DWORD pollMs = 20);

// Local time in milliseconds on a linear scale (for differences), the current local time
// on that scale, and back.
long long localMs(const SYSTEMTIME& t);
long long nowMs();
SYSTEMTIME localAt(long long ms);

// Moves the wall clock and the tick count of every process of the session by these many
// milliseconds, within 50 ms (scripts/clock-test.sh runs a session whose clocks move). False
// outside such a session. The tick count only ever goes forward, as after a sleep: Wine's waits
// would stall if it went back.
bool moveClocks(long long wallMs, long long tickMs);

// The user name as the program sees it (GetUserNameW).
std::wstring currentUserName();

// Text of any window, also of another process (GetWindowTextW).
std::wstring windowText(HWND hwnd);
std::wstring windowClass(HWND hwnd);

// Client-area pixels of a window, rows top to bottom, each 0x00RRGGBB.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    static uint32_t rgb(int r, int g, int b) { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b); }
    static uint32_t fromColorref(COLORREF c) { return rgb(GetRValue(c), GetGValue(c), GetBValue(c)); }
    bool empty() const { return pixels.empty(); }
    uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
    // Pixels of exactly this colour.
    size_t count(uint32_t colour) const;
    // Pixels whose red, green and blue each differ by at most tolerance.
    size_t countNear(uint32_t colour, int tolerance) const;
    // Writes a 32-bit BMP file, for looking at a failing test's picture.
    bool saveBmp(const std::wstring& path) const;
};

// Pictures to look at: with VELMORA_E2E_SHOTS naming a folder, saves the shot there as name.
void saveShot(const Capture& shot, const std::wstring& name);
// The same for a dialog's client area once it has painted (300 ms on).
void saveDialogShot(HWND dialog, const std::wstring& name);

// Reads the client area of hwnd as it is on screen (GetDC + BitBlt); the
// window must be unobscured. Empty on failure.
Capture captureClient(HWND hwnd);

class VelmoraProcess {
public:
    // Makes %TEMP%\velmora-e2e-<pid>-<n>\ and copies velmora.exe, alarm.wav,
    // second.wav and Readme.txt into it from the test exe's folder. A failure
    // is reported by lastError() and makes every start() fail.
    // nameTail goes at the end of the folder's name (a user's folder names, for example).
    explicit VelmoraProcess(const std::wstring& nameTail = L"");
    // Runs the velmora.exe already in folder (no backslash at the end), which is kept.
    enum class Existing { Folder };
    VelmoraProcess(Existing, const std::wstring& folder) : dir_(folder), folderReady_(true), ownsFolder_(false) {}
    // Kills the program if it still runs, then deletes the folder.
    ~VelmoraProcess();
    VelmoraProcess(const VelmoraProcess&) = delete;
    VelmoraProcess& operator=(const VelmoraProcess&) = delete;

    // --- files, before start() or between runs ---
    const std::wstring& directory() const { return dir_; }   // ends without a backslash
    std::wstring path(const std::wstring& name) const;       // directory() + "\" + name
    // "<user> Velmora.ini" and "<dir>\<user> Velmora.ini": the program's settings file.
    static std::wstring settingsFileName();
    std::wstring settingsPath() const { return path(settingsFileName()); }
    // Writes the settings file as UTF-16LE with a byte-order mark.
    bool writeSettings(const std::wstring& text);
    // Writes name in the folder as UTF-16LE with a byte-order mark
    // (program timer files are kept this way). Text is written as given.
    bool writeUtf16File(const std::wstring& name, const std::wstring& text);
    bool writeFile(const std::wstring& name, const std::string& bytes);
    bool fileExists(const std::wstring& name) const;
    // The whole file; empty when it cannot be read.
    std::string readBytes(const std::wstring& name) const;
    // The file as text: UTF-16LE or UTF-8 when it starts with that byte-order
    // mark, otherwise in the ANSI code page. The mark itself is dropped.
    std::wstring readText(const std::wstring& name) const;
    std::wstring settingsText() const;
    // One key of the settings file, read with the profile functions.
    std::wstring iniString(const std::wstring& section, const std::wstring& key,
                           const std::wstring& fallback = L"") const;
    int iniInt(const std::wstring& section, const std::wstring& key, int fallback = 0) const;
    // True when the key is in the file, even with an empty value.
    bool iniHasKey(const std::wstring& section, const std::wstring& key) const;
    // The settings file's bytes once two readings in a row agree (never a half-written file).
    std::string settledSettingsBytes() const;

    // --- process ---
    // Starts the program with the optional command-line argument text and
    // waits until its main window (class "VELMORA") exists and start-up is over. False, with
    // lastError(), when it does not start or shows no window within 10 s.
    // The program gets this process's environment without TZ: Wine takes the
    // zone from the Unix TZ (which the program inherits), while the C runtime
    // would read TZ in a format of its own and compute in UTC.
    bool start(const std::wstring& arguments = L"");
    // Starts again in the same folder, keeping every file (for resume tests).
    // The previous run must have ended (close() or killHard()).
    bool restart(const std::wstring& arguments = L"") { return start(arguments); }
    bool running() const;
    DWORD processId() const { return pid_; }
    // The exit code of the last run, or STILL_ACTIVE while it runs.
    DWORD exitCode() const;
    bool waitForExit(DWORD timeoutMs);
    // Posts WM_CLOSE to the main window and waits for the process to end.
    bool close(DWORD timeoutMs = 10000);
    // Ends the process at once, as a crash or power cut would (exit code 1).
    void killHard();
    // What the most recent failed call of this object ran into.
    const std::wstring& lastError() const { return error_; }

    // --- main window ---
    // The main window found by start(); refreshed by findMainWindow().
    HWND window() const { return hwnd_; }
    HWND findMainWindow() const;
    // Top-level windows of this process with the class name (e.g. "VELMORA_BG").
    std::vector<HWND> windows(const std::wstring& className) const;
    std::wstring title() const { return windowText(hwnd_); }
    bool waitForTitle(const std::wstring& text, DWORD timeoutMs = 5000) const;
    // WM_COMMAND with the command id, as a menu choice or accelerator sends it.
    bool command(WORD id) const;
    // WM_KEYDOWN then WM_KEYUP of a virtual key; the program's message loop
    // turns function keys into commands through its accelerator table.
    bool key(UINT vk) const;
    bool post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    Capture capture() const { return captureClient(hwnd_); }

    // --- message boxes and dialogs (top-level windows of class "#32770") ---
    std::vector<HWND> dialogs() const;
    // The first shown dialog whose caption is caption, or null.
    HWND findDialog(const std::wstring& caption) const;
    HWND waitForDialog(const std::wstring& caption, DWORD timeoutMs = 5000) const;
    // The first shown message box with text (its static control 0xFFFF), or null.
    HWND findMessageBox(const std::wstring& text) const;
    HWND waitForMessageBox(const std::wstring& text, DWORD timeoutMs = 5000) const;
    static std::wstring messageBoxText(HWND box);
    static std::wstring caption(HWND box) { return windowText(box); }
    // Clicks the button with this id (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7).
    static bool pressButton(HWND box, int id);
    // Waits until the window is gone.
    static bool waitForGone(HWND hwnd, DWORD timeoutMs = 5000);

private:
    std::wstring settledSettingsCopy() const;
    void closeHandles();
    bool fail(const std::wstring& message);

    std::wstring dir_;
    bool folderReady_ = false;
    bool ownsFolder_ = true;
    std::wstring error_;
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND hwnd_ = nullptr;
};

// The end of a running timer as the program stored it ([ALARM_TIME] YEAR to MILLISECOND), a
// local time.
SYSTEMTIME savedEnd(const VelmoraProcess& app);
// Local milliseconds when the title was first seen to be another than `running` (polled every
// 2 ms), or 0 when it still was after timeoutMs.
long long whenTitleLeaves(const VelmoraProcess& app, const std::wstring& running, DWORD timeoutMs);

}  // namespace e2e
