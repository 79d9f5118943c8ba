#include "velmora_harness.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "tests/support/dib_surface.h"
#include "tests/support/start_program.h"
#include "tests/support/system_time.h"
#include "tests/support/whole_file.h"

namespace e2e {

long long localMs(const SYSTEMTIME& t) {
  FILETIME f;
  if (!SystemTimeToFileTime(&t, &f)) return 0;
  return (long long)((((unsigned long long)f.dwHighDateTime << 32) | f.dwLowDateTime) / 10000);
}

long long nowMs() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return localMs(t);
}

SYSTEMTIME localAt(long long ms) {
  unsigned long long v = (unsigned long long)ms * 10000;
  FILETIME f{(DWORD)v, (DWORD)(v >> 32)};
  SYSTEMTIME t{};
  FileTimeToSystemTime(&f, &t);
  return t;
}

bool moveClocks(long long wallMs, long long tickMs) {
  const char* unixPath = getenv("VELMORA_CLOCK_FILE");
  if (!unixPath || tickMs < 0) return false;
  std::string path = std::string("Z:") + unixPath;  // Wine maps / to drive Z:
  for (char& c : path)
    if (c == '/') c = '\\';
  long long wall = 0, tick = 0;
  if (FILE* in = fopen(path.c_str(), "r")) {
    if (fscanf(in, "%lld %lld", &wall, &tick) != 2) wall = tick = 0;
    fclose(in);
  }
  // Written whole into a new file and moved over the old one: the shim never reads half a line.
  const std::string temporary = path + ".new";
  FILE* out = fopen(temporary.c_str(), "w");
  if (!out) return false;
  const bool written = fprintf(out, "%lld %lld\n", wall + wallMs, tick + tickMs) > 0;
  if (fclose(out) != 0 || !written) return false;
  auto wallNow = [] {
    FILETIME f;
    GetSystemTimeAsFileTime(&f);
    return (long long)((((unsigned long long)f.dwHighDateTime << 32) | f.dwLowDateTime) / 10000);
  };
  const long long wallBefore = wallNow(), tickBefore = (long long)GetTickCount64();
  if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
  // This process sees the move once its shim has read the file again, as every other does.
  return waitFor([&] {
    const long long ticks = (long long)GetTickCount64() - tickBefore, wall = wallNow() - wallBefore;
    const bool tickMoved = tickMs == 0 || ticks >= tickMs;
    const bool wallMoved = wallMs == tickMs || llabs((wall - ticks) - (wallMs - tickMs)) < 25;
    return tickMoved && wallMoved;
  }, 2000, 5);
}
namespace {

const wchar_t* const kProgramFiles[] = {L"velmora.exe", L"alarm.wav", L"second.wav", L"Readme.txt"};

std::wstring testExeDirectory() {
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD n = GetModuleFileNameW(nullptr, buffer, DWORD(std::size(buffer)));
    std::wstring path(buffer, n);
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

std::wstring tempDirectory() {
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(DWORD(std::size(buffer)), buffer);
    std::wstring path(buffer, n);
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

std::wstring lastErrorText(const std::wstring& what) {
    return what + L" (error " + std::to_wstring(GetLastError()) + L")";
}

bool deleteTree(const std::wstring& dir) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = dir + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                deleteTree(full);
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    return RemoveDirectoryW(dir.c_str()) != 0 || GetFileAttributesW(dir.c_str()) == INVALID_FILE_ATTRIBUTES;
}

using testsupport::readWholeFile;
using testsupport::writeWholeFile;

std::wstring decodeText(const std::string& bytes) {
    auto starts = [&](const char* mark, size_t n) { return bytes.size() >= n && bytes.compare(0, n, mark, n) == 0; };
    if (starts("\xFF\xFE", 2)) {
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = wchar_t(uint8_t(bytes[2 + 2 * i]) | (uint8_t(bytes[3 + 2 * i]) << 8));
        return text;
    }
    UINT codePage = CP_ACP;
    size_t skip = 0;
    if (starts("\xEF\xBB\xBF", 3)) {
        codePage = CP_UTF8;
        skip = 3;
    }
    int length = int(bytes.size() - skip);
    if (length == 0) return std::wstring();
    int needed = MultiByteToWideChar(codePage, 0, bytes.data() + skip, length, nullptr, 0);
    std::wstring text(size_t(needed), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data() + skip, length, text.data(), needed);
    return text;
}

struct WindowQuery {
    DWORD pid;
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND hwnd, LPARAM param) {
    auto* query = reinterpret_cast<WindowQuery*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == query->pid && windowClass(hwnd) == query->className) query->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> topLevelWindows(DWORD pid, const wchar_t* className) {
    WindowQuery query{pid, className, {}};
    if (pid != 0) EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

std::atomic<int> folderCounter{0};

// The first visible window of the list that `matches`, or null.
HWND firstShown(const std::vector<HWND>& windows, const std::function<bool(HWND)>& matches) {
    for (HWND window : windows)
        if (IsWindowVisible(window) && matches(window)) return window;
    return nullptr;
}

// The window `find` gives once it gives one within timeoutMs, or null.
HWND waitForWindow(const std::function<HWND()>& find, DWORD timeoutMs) {
    HWND window = nullptr;
    waitFor([&] { return (window = find()) != nullptr; }, timeoutMs);
    return window;
}

}  // namespace

bool waitFor(const std::function<bool()>& pred, DWORD timeoutMs, DWORD pollMs) {
    const ULONGLONG start = GetTickCount64();  // a wait that spans the 32-bit wrap ends on time
    for (;;) {
        if (pred()) return true;
        if (GetTickCount64() - start >= timeoutMs) return false;
        Sleep(pollMs);
    }
}

std::wstring currentUserName() {
    wchar_t buffer[260] = {};
    DWORD size = DWORD(std::size(buffer));
    return GetUserNameW(buffer, &size) ? std::wstring(buffer) : std::wstring();
}

std::wstring windowText(HWND hwnd) {
    wchar_t buffer[1024] = {};
    int n = hwnd ? GetWindowTextW(hwnd, buffer, int(std::size(buffer))) : 0;
    return std::wstring(buffer, size_t(n > 0 ? n : 0));
}

std::wstring windowClass(HWND hwnd) {
    wchar_t buffer[256] = {};
    int n = hwnd ? GetClassNameW(hwnd, buffer, int(std::size(buffer))) : 0;
    return std::wstring(buffer, size_t(n > 0 ? n : 0));
}

// ---------------------------------------------------------------- Capture

size_t Capture::count(uint32_t colour) const {
    size_t n = 0;
    for (uint32_t p : pixels) n += (p == colour);
    return n;
}

size_t Capture::countNear(uint32_t colour, int tolerance) const {
    auto within = [tolerance](uint32_t a, uint32_t b, int shift) {
        int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        return d <= tolerance && -d <= tolerance;
    };
    size_t n = 0;
    for (uint32_t p : pixels) n += within(p, colour, 16) && within(p, colour, 8) && within(p, colour, 0);
    return n;
}

bool Capture::saveBmp(const std::wstring& path) const {
    return !empty() && testsupport::writeBmp32(path, width, height, pixels.data());
}

void saveShot(const Capture& shot, const std::wstring& name) {
    if (const char* dir = getenv("VELMORA_E2E_SHOTS")) shot.saveBmp(std::wstring(dir, dir + strlen(dir)) + L"\\" + name);
}

void saveDialogShot(HWND dialog, const std::wstring& name) {
    if (!getenv("VELMORA_E2E_SHOTS")) return;
    Sleep(300);
    saveShot(captureClient(dialog), name);
}

Capture captureClient(HWND hwnd) {
    Capture result;
    SIZE size;
    result.pixels = testsupport::clientPixels(hwnd, &size);
    if (!result.pixels.empty()) result.width = size.cx, result.height = size.cy;
    return result;
}

// ---------------------------------------------------------------- VelmoraProcess

VelmoraProcess::VelmoraProcess(const std::wstring& nameTail) {
    dir_ = tempDirectory() + L"\\velmora-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++folderCounter) + nameTail;
    deleteTree(dir_);  // left over from an earlier run with the same process id
    if (!CreateDirectoryW(dir_.c_str(), nullptr)) {
        fail(lastErrorText(L"cannot create " + dir_));
        return;
    }
    std::wstring from = testExeDirectory();
    for (const wchar_t* name : kProgramFiles) {
        if (!CopyFileW((from + L"\\" + name).c_str(), path(name).c_str(), FALSE)) {
            fail(lastErrorText(L"cannot copy " + from + L"\\" + name));
            return;
        }
    }
    folderReady_ = true;
}

VelmoraProcess::~VelmoraProcess() {
    if (running()) killHard();
    closeHandles();
    // The program's files may stay locked for a moment after it ended.
    for (int attempt = 0; ownsFolder_ && attempt < 20 && !deleteTree(dir_); ++attempt) Sleep(100);
}

bool VelmoraProcess::fail(const std::wstring& message) {
    error_ = message;
    return false;
}

std::wstring VelmoraProcess::path(const std::wstring& name) const { return dir_ + L"\\" + name; }

std::wstring VelmoraProcess::settingsFileName() { return currentUserName() + L" Velmora.ini"; }

bool VelmoraProcess::writeSettings(const std::wstring& text) { return writeUtf16File(settingsFileName(), text); }

bool VelmoraProcess::writeUtf16File(const std::wstring& name, const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(char(c & 0xFF));
        bytes.push_back(char((c >> 8) & 0xFF));
    }
    return writeFile(name, bytes);
}

bool VelmoraProcess::writeFile(const std::wstring& name, const std::string& bytes) {
    return writeWholeFile(path(name), bytes) || fail(lastErrorText(L"cannot write " + path(name)));
}

bool VelmoraProcess::fileExists(const std::wstring& name) const {
    return GetFileAttributesW(path(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string VelmoraProcess::readBytes(const std::wstring& name) const { return readWholeFile(path(name)); }

std::wstring VelmoraProcess::readText(const std::wstring& name) const { return decodeText(readBytes(name)); }

// The program rewrites the whole settings file for every key it writes, so a reader can meet
// it cut short in the middle of a write and miss keys that are there before and after. A
// reading counts once two readings in a row agree.
std::string VelmoraProcess::settledSettingsBytes() const {
    std::string last = readWholeFile(settingsPath());
    for (int tries = 0; tries < 100; ++tries) {
        Sleep(5);
        std::string now = readWholeFile(settingsPath());
        if (now == last) break;
        last = std::move(now);
    }
    return last;
}

std::wstring VelmoraProcess::settingsText() const { return decodeText(settledSettingsBytes()); }

// Keys are read with the profile functions from a settled copy of the file.
std::wstring VelmoraProcess::settledSettingsCopy() const {
    const std::wstring copy = path(L"settings-reading.ini");
    const std::string bytes = settledSettingsBytes();
    HANDLE file = CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, copy.c_str());  // drop the profile cache
    return copy;
}

std::wstring VelmoraProcess::iniString(const std::wstring& section, const std::wstring& key,
                                       const std::wstring& fallback) const {
    wchar_t buffer[2048] = {};
    GetPrivateProfileStringW(section.c_str(), key.c_str(), fallback.c_str(), buffer, DWORD(std::size(buffer)),
                             settledSettingsCopy().c_str());
    return buffer;
}

int VelmoraProcess::iniInt(const std::wstring& section, const std::wstring& key, int fallback) const {
    return int(GetPrivateProfileIntW(section.c_str(), key.c_str(), fallback, settledSettingsCopy().c_str()));
}

bool VelmoraProcess::iniHasKey(const std::wstring& section, const std::wstring& key) const {
    const std::wstring missing = L"\x01missing\x01";
    return iniString(section, key, missing) != missing;
}

bool VelmoraProcess::start(const std::wstring& arguments) {
    if (!folderReady_) return false;  // lastError() tells why
    if (running()) return fail(L"start: the program is already running");
    closeHandles();

    std::wstring exe = path(L"velmora.exe");
    std::wstring environment;
    LPWCH strings = GetEnvironmentStringsW();
    for (const wchar_t* p = strings; *p; p += wcslen(p) + 1)
        if (_wcsnicmp(p, L"TZ=", 3) != 0) environment.append(p).push_back(L'\0');
    FreeEnvironmentStringsW(strings);
    environment.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!testsupport::startProgram(exe, arguments, dir_, startup, info, CREATE_UNICODE_ENVIRONMENT, environment.data()))
        return fail(lastErrorText(L"cannot start " + exe));
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;

    WaitForInputIdle(process_, 10000);
    waitFor([this] { return (hwnd_ = findMainWindow()) != nullptr || !running(); }, 10000);
    if (!hwnd_) {
        return fail(running() ? std::wstring(L"no VELMORA window within 10 s")
                              : L"the program ended at start with code " + std::to_wstring(exitCode()));
    }
    // Wine's WaitForInputIdle can return before the window is shown, and the window exists
    // before it is: the program answers a sent message once its start-up is over.
    SendMessageTimeoutW(hwnd_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
    return true;
}

bool VelmoraProcess::running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

DWORD VelmoraProcess::exitCode() const {
    DWORD code = 0;
    if (!process_ || !GetExitCodeProcess(process_, &code)) return DWORD(-1);
    return code;
}

bool VelmoraProcess::waitForExit(DWORD timeoutMs) {
    return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

bool VelmoraProcess::close(DWORD timeoutMs) {
    if (!running()) return true;
    HWND target = hwnd_ ? hwnd_ : findMainWindow();
    if (!target || !PostMessageW(target, WM_CLOSE, 0, 0)) return fail(L"close: no main window to close");
    return waitForExit(timeoutMs) || fail(L"close: the program did not end in time");
}

void VelmoraProcess::killHard() {
    if (!running()) return;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 10000);
}

void VelmoraProcess::closeHandles() {
    if (process_) CloseHandle(process_);
    process_ = nullptr;
    hwnd_ = nullptr;
}

HWND VelmoraProcess::findMainWindow() const {
    std::vector<HWND> found = windows(L"VELMORA");
    return found.empty() ? nullptr : found.front();
}

std::vector<HWND> VelmoraProcess::windows(const std::wstring& className) const {
    return topLevelWindows(pid_, className.c_str());
}

bool VelmoraProcess::waitForTitle(const std::wstring& text, DWORD timeoutMs) const {
    return waitFor([&] { return title() == text; }, timeoutMs);
}

bool VelmoraProcess::command(WORD id) const { return post(WM_COMMAND, MAKEWPARAM(id, 0), 0); }

bool VelmoraProcess::key(UINT vk) const {
    UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    LPARAM down = LPARAM(1 | (scan << 16));
    LPARAM up = LPARAM(1 | (scan << 16) | (1u << 30) | (1u << 31));
    return post(WM_KEYDOWN, vk, down) && post(WM_KEYUP, vk, up);
}

bool VelmoraProcess::post(UINT message, WPARAM wParam, LPARAM lParam) const {
    return hwnd_ && PostMessageW(hwnd_, message, wParam, lParam);
}

std::vector<HWND> VelmoraProcess::dialogs() const { return windows(L"#32770"); }

// Only a shown dialog counts: one is shown once WM_INITDIALOG has filled it, while its
// caption is there from its creation.
HWND VelmoraProcess::findDialog(const std::wstring& caption) const {
    return firstShown(dialogs(), [&](HWND box) { return windowText(box) == caption; });
}

HWND VelmoraProcess::waitForDialog(const std::wstring& caption, DWORD timeoutMs) const {
    return waitForWindow([&] { return findDialog(caption); }, timeoutMs);
}

HWND VelmoraProcess::findMessageBox(const std::wstring& text) const {
    return firstShown(dialogs(), [&](HWND box) { return messageBoxText(box) == text; });
}

HWND VelmoraProcess::waitForMessageBox(const std::wstring& text, DWORD timeoutMs) const {
    return waitForWindow([&] { return findMessageBox(text); }, timeoutMs);
}

std::wstring VelmoraProcess::messageBoxText(HWND box) { return windowText(GetDlgItem(box, 0xFFFF)); }

bool VelmoraProcess::pressButton(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    // Posted, not sent: the box may run a nested loop or belong to a busy thread.
    return button && PostMessageW(button, BM_CLICK, 0, 0);
}

bool VelmoraProcess::waitForGone(HWND hwnd, DWORD timeoutMs) {
    return waitFor([hwnd] { return !IsWindow(hwnd); }, timeoutMs);
}

SYSTEMTIME savedEnd(const VelmoraProcess& app) {
    auto key = [&](const wchar_t* name) { return app.iniInt(L"ALARM_TIME", name); };
    return testsupport::at(key(L"YEAR"), key(L"MONTH"), key(L"DAY"), key(L"HOUR"), key(L"MINUTE"), key(L"SECOND"),
                           key(L"MILLISECOND"));
}

long long whenTitleLeaves(const VelmoraProcess& app, const std::wstring& running, DWORD timeoutMs) {
    long long seen = 0;
    waitFor([&] {
        if (app.title() == running) return false;
        seen = nowMs();
        return true;
    }, timeoutMs, 2);
    return seen;
}

}  // namespace e2e
