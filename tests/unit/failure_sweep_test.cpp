// Every call through which the program stores and tells things fails in turn, one at a time:
// the N-th call of one function on each thread fails while one action runs, and afterwards
// nothing may have stalled, been lost, come back from a stop untold or been told twice.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "common/data_folder.h"
#include "common/settings.h"
#include "common/timer_state.h"
#include "programs/program_file.h"
#include "shell/tray_icon.h"
#include "timers/countdown.h"
#include "timers/program_runner.h"
#include "timers/resume.h"
#include "timers/time_of_day.h"
#include "countdown_test_support.h"

using namespace countdown_test;

namespace {

// ---- the failing calls

enum Fn { kWriteString, kWriteSection, kOpen, kFlush, kClose, kCreateFile, kWriteFile, kFlushBuffers, kMoveEx, kMove,
          kCopy, kDelete, kCreateDir, kFreeSpace, kFreeSpaceFull, kNotifyIcon, kMci, kCreateThread, kFnCount };
const char* const kFnNames[kFnCount] = {
    "WritePrivateProfileStringW", "WritePrivateProfileSectionW", "_wfopen_s", "fflush", "fclose", "CreateFileW",
    "WriteFile", "FlushFileBuffers", "MoveFileExW", "MoveFileW", "CopyFileW", "DeleteFileW", "CreateDirectoryW",
    "GetDiskFreeSpaceExW", "GetDiskFreeSpaceExW (nearly full)", "Shell_NotifyIconW", "mciSendStringW", "CreateThread"};

std::atomic<int> armedFn{-1}, armedCall{0}, failures{0};
std::atomic<unsigned> generation{1};
struct ThreadCalls {
  unsigned generation;
  int calls[kFnCount];
};
thread_local ThreadCalls threadCalls{};
std::mutex mostLock;
int mostCalls[kFnCount];  // most calls one thread made while armed, per function

// Counts the call on this thread; true when it is the one to fail.
bool failNow(Fn fn, DWORD error) {
  if (armedFn < 0) return false;
  if (threadCalls.generation != generation) threadCalls = {generation, {}};
  const int n = ++threadCalls.calls[fn];
  {
    std::lock_guard<std::mutex> hold(mostLock);
    if (n > mostCalls[fn]) mostCalls[fn] = n;
  }
  if (armedFn != fn || n != armedCall) return false;
  ++failures;
  SetLastError(error);
  return true;
}

#define HOOK(fn, error, failed, R, CC, name, params, args) \
  R(CC* real_##name) params = nullptr;                     \
  R CC hook_##name params { return failNow(fn, error) ? failed : real_##name args; }
HOOK(kWriteString, ERROR_ACCESS_DENIED, FALSE, BOOL, WINAPI, WritePrivateProfileStringW,
     (LPCWSTR s, LPCWSTR k, LPCWSTR v, LPCWSTR f), (s, k, v, f))
HOOK(kWriteSection, ERROR_ACCESS_DENIED, FALSE, BOOL, WINAPI, WritePrivateProfileSectionW,
     (LPCWSTR s, LPCWSTR v, LPCWSTR f), (s, v, f))
HOOK(kFlush, 0, EOF, int, __cdecl, fflush, (FILE* f), (f))
HOOK(kCreateFile, ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE, HANDLE, WINAPI, CreateFileW,
     (LPCWSTR n, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD c, DWORD f, HANDLE t), (n, a, s, sa, c, f, t))
HOOK(kWriteFile, ERROR_DISK_FULL, FALSE, BOOL, WINAPI, WriteFile, (HANDLE h, LPCVOID b, DWORD n, LPDWORD w, LPOVERLAPPED o),
     (h, b, n, w, o))
HOOK(kFlushBuffers, ERROR_DISK_FULL, FALSE, BOOL, WINAPI, FlushFileBuffers, (HANDLE h), (h))
HOOK(kMoveEx, ERROR_ACCESS_DENIED, FALSE, BOOL, WINAPI, MoveFileExW, (LPCWSTR a, LPCWSTR b, DWORD f), (a, b, f))
HOOK(kMove, ERROR_ACCESS_DENIED, FALSE, BOOL, WINAPI, MoveFileW, (LPCWSTR a, LPCWSTR b), (a, b))
HOOK(kCopy, ERROR_DISK_FULL, FALSE, BOOL, WINAPI, CopyFileW, (LPCWSTR a, LPCWSTR b, BOOL f), (a, b, f))
HOOK(kDelete, ERROR_ACCESS_DENIED, FALSE, BOOL, WINAPI, DeleteFileW, (LPCWSTR a), (a))
HOOK(kCreateDir, ERROR_ACCESS_DENIED, FALSE, BOOL, WINAPI, CreateDirectoryW, (LPCWSTR a, LPSECURITY_ATTRIBUTES s), (a, s))
HOOK(kNotifyIcon, ERROR_TIMEOUT, FALSE, BOOL, WINAPI, Shell_NotifyIconW, (DWORD m, PNOTIFYICONDATAW d), (m, d))
HOOK(kMci, 0, MCIERR_INTERNAL, MCIERROR, WINAPI, mciSendStringW, (LPCWSTR c, LPWSTR a, UINT n, HWND w), (c, a, n, w))
HOOK(kCreateThread, ERROR_NOT_ENOUGH_MEMORY, nullptr, HANDLE, WINAPI, CreateThread,
     (LPSECURITY_ATTRIBUTES s, SIZE_T z, LPTHREAD_START_ROUTINE r, LPVOID p, DWORD f, LPDWORD i), (s, z, r, p, f, i))

errno_t(__cdecl* real__wfopen_s)(FILE**, const wchar_t*, const wchar_t*) = nullptr;
errno_t __cdecl hook__wfopen_s(FILE** file, const wchar_t* name, const wchar_t* mode) {
  if (!failNow(kOpen, 0)) return real__wfopen_s(file, name, mode);
  *file = nullptr;
  return EACCES;
}
int(__cdecl* real_fclose)(FILE*) = nullptr;
int __cdecl hook_fclose(FILE* file) {  // a failed close still lets go of the stream
  const int result = real_fclose(file);
  return failNow(kClose, 0) ? EOF : result;
}
BOOL(WINAPI* real_GetDiskFreeSpaceExW)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER) = nullptr;
BOOL WINAPI hook_GetDiskFreeSpaceExW(LPCWSTR d, PULARGE_INTEGER a, PULARGE_INTEGER t, PULARGE_INTEGER f) {
  const BOOL result = real_GetDiskFreeSpaceExW(d, a, t, f);
  if (failNow(kFreeSpace, ERROR_NOT_READY)) return FALSE;
  if (result && failNow(kFreeSpaceFull, 0) && a) a->QuadPart = 1024;
  return result;
}
FARPROC(WINAPI* real_GetProcAddress)(HMODULE, LPCSTR) = nullptr;
FARPROC WINAPI hook_GetProcAddress(HMODULE module, LPCSTR name) {  // the media calls are loaded late
  const FARPROC found = real_GetProcAddress(module, name);
  if (HIWORD(name) == 0 || strcmp(name, "mciSendStringW") != 0 || !found) return found;
  real_mciSendStringW = reinterpret_cast<decltype(real_mciSendStringW)>(reinterpret_cast<void*>(found));
  return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(hook_mciSendStringW));
}

// Points this executable's import of name at hook; the original goes to *original.
template <typename F>
void patchImport(const char* name, F hook, F* original) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); d->Name; ++d) {
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) ||
          strcmp(reinterpret_cast<char*>(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name), name))
        continue;
      DWORD was = 0;
      VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &was);
      if (!*original) *original = reinterpret_cast<F>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(hook);
      VirtualProtect(&slots->u1.Function, sizeof(void*), was, &was);
    }
  }
}

#define PATCH(name) patchImport(#name, hook_##name, &real_##name)
void patchAll() {
  PATCH(WritePrivateProfileStringW); PATCH(WritePrivateProfileSectionW); PATCH(_wfopen_s); PATCH(fflush);
  PATCH(fclose); PATCH(CreateFileW); PATCH(WriteFile); PATCH(FlushFileBuffers); PATCH(MoveFileExW);
  PATCH(MoveFileW); PATCH(CopyFileW); PATCH(DeleteFileW); PATCH(CreateDirectoryW); PATCH(GetDiskFreeSpaceExW);
  PATCH(Shell_NotifyIconW); PATCH(mciSendStringW); PATCH(CreateThread); PATCH(GetProcAddress);
  // Copied at start-up, before any patch could reach them. The copy may be the import's stub,
  // which now leads to the hook: the real call stays the one the import table held.
  if (!real_Shell_NotifyIconW) real_Shell_NotifyIconW = shellNotifyIcon;
  shellNotifyIcon = hook_Shell_NotifyIconW;
  if (!real_FlushFileBuffers) real_FlushFileBuffers = flushFileToDisk;
  flushFileToDisk = hook_FlushFileBuffers;
}

// ---- the scenarios

HWND sweepWindow = nullptr;
std::wstring sweepFolder;
wchar_t soundFile[512];  // the steps' sound

// Runs body on a thread of its own; false when it has not returned within ms (a box held it up).
bool finishesWithin(DWORD ms, std::function<void()> body) {
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::thread([body, done] { body(); *done = true; }).detach();
  return pumpUntil([&] { return done->load(); }, ms);
}
bool stopRun() {
  stopRequested = runSerial.load();
  wakeCountdown();
  return pumpUntil([] { return runActive == 0 && targetTick == 0u; }, 3000);
}

void writeProgram(int slot, const wchar_t* message, int steps) {
  std::wstring text = L"\xFEFF";
  for (int i = 0; i < steps; ++i) text += std::wstring(L"150\t") + soundFile + L"\t0\t" + message + L"\r\n";
  wchar_t path[1024];
  programTimerFilePath(slot, path, 1024);
  testsupport::writeWholeFile(path, std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
}
std::wstring firstMessage(int slot) {
  ProgramStep* steps = nullptr;
  wchar_t path[1024];
  programTimerFilePath(slot, path, 1024);
  loadProgramStepsFrom(path, &steps);
  std::wstring message = steps && steps[0].waitMs ? steps[0].message : L"";
  HeapFree(GetProcessHeap(), 0, steps);
  return message;
}

struct Scenario {
  const char* name;
  void (*prepare)();         // on disk and in memory before the action
  const char* (*act)();      // the action; what stalled, or null
  const char* (*check)() = nullptr;  // after the action, failing nothing: what is wrong, or null
};
const Scenario kScenarios[] = {
    {"interval start, run and stop", [] { intervalSeconds = 2; },
     [] { return !finishesWithin(2000, [] { intervalStartThread(sweepWindow); }) ? "the start stalled"
                 : (targetTick != 0u || runActive != 0) && !stopRun() ? "the stop stalled" : nullptr; }},
    {"time-of-day start", [] {},
     [] { const SYSTEMTIME soon = localTimeOfSeconds(calendarNowMs() / 1000 + 60);
          auto* start = new TimeOfDayStart{sweepWindow, {soon.wYear, soon.wMonth, soon.wDay, soon.wHour, soon.wMinute, soon.wSecond}};
          return !finishesWithin(2000, [start] { timeOfDayStartThread(start); }) ? "the start stalled"
                 : !stopRun() ? "the stop stalled" : nullptr; }},
    {"program timer of three steps", [] { writeProgram(0, L"", 3); },
     [] { return !finishesWithin(2000, [] { programStartThread(sweepWindow); }) ? "the start stalled"
                 : !pumpUntil([] { return runActive == 0; }, 3000) ? "the steps stalled" : nullptr; }},
    {"pause and continue", [] { intervalSeconds = 5; },
     [] { if (!finishesWithin(2000, [] { intervalStartThread(sweepWindow); })) return "the start stalled";
          if (runActive == 0) return (const char*)nullptr;
          pauseToggleFromWindow();
          if (!pumpUntil([] { return paused == 1; }, 1500)) return "the pause stalled";
          pauseToggleFromWindow();
          if (!pumpUntil([] { return paused == 0; }, 1500)) return "the continue stalled";
          return stopRun() ? nullptr : "the stop stalled"; }},
    {"program slot move", [] { writeProgram(0, L"A", 1); writeProgram(1, L"B", 1);
                               wcscpy_s(programTimerNames[0], L"A"); wcscpy_s(programTimerNames[1], L"B"); },
     [] { moveProgramTimerSlot(0, 1);
          return (const char*)nullptr; },
     // The names follow the files, whatever was done or undone.
     [] { return firstMessage(0) != programTimerNames[0] || firstMessage(1) != programTimerNames[1]
                 ? "the names no longer follow the files" : nullptr; }},
    {"resume at start", [] { intervalSeconds = 30; writeSettingInt(L"TIMER", L"TYPE", 1);
                             targetTime = localTimeOfSeconds(calendarNowMs() / 1000 + 20);
                             targetUtcMs = 0; timerKind = 1; saveTargetTime(nullptr); saveResumeFlag(1);
                             readSettingsFile(); },
     [] { return !finishesWithin(2000, [] { resumeTimer(sweepWindow); }) ? "the resume stalled"
                 : runActive != 0 && !stopRun() ? "the stop stalled" : nullptr; }},
};

// Every key of the settings file but the end of the count-down, which moves with the clock.
std::map<std::wstring, std::wstring> settingsKeys() {
  std::map<std::wstring, std::wstring> keys;
  wchar_t names[4096], section[8192];
  GetPrivateProfileSectionNamesW(names, 4096, settingsFilePath);
  for (const wchar_t* n = names; *n; n += wcslen(n) + 1) {
    if (wcscmp(n, L"ALARM_TIME") == 0) continue;
    GetPrivateProfileSectionW(n, section, 8192, settingsFilePath);
    for (const wchar_t* k = section; *k; k += wcslen(k) + 1) {
      const wchar_t* equals = wcschr(k, L'=');
      if (equals) keys[std::wstring(n) + L"/" + std::wstring(k, equals)] = equals + 1;
    }
  }
  return keys;
}

std::vector<std::wstring> failureBoxes() {
  std::vector<std::wstring> told;
  for (HWND box : ownDialogs())
    if (GetWindowLongW(box, GWL_STYLE) & WS_VISIBLE) told.push_back(messageBoxText(box));
  return told;
}

TEST(FailureSweep, EveryStoringAndTellingCallFailsInTurnWithoutLossStallOrSilence) {
  TestWindow window;
  sweepWindow = window.hwnd;
  mainWindow = window.hwnd;
  START_SYURYO_CHECK = 0;
  TIMER_LOOP = 0;
  BALLOON = 0;
  sweepFolder = tempPath(L"sweep\\");
  CreateDirectoryW(sweepFolder.c_str(), nullptr);
  wcscpy_s(dataDirectory, sweepFolder.c_str());
  swprintf_s(settingsFilePath, 1024, L"%lssweep.ini", sweepFolder.c_str());
  patchAll();
  const std::wstring tone = sweepFolder + L"tone.wav";
  writeToneWav(tone, 100);
  wcscpy_s(soundFile, tone.c_str());
  int points = 0, faults = 0;
  for (const Scenario& s : kScenarios) {
    DeleteFileW(settingsFilePath);
    writeSettingInt(L"TIMER", L"RESUME", 0);
    s.prepare();
    const std::string before = testsupport::readWholeFile(settingsFilePath);
    const auto keysBefore = settingsKeys();
    std::map<std::wstring, std::wstring> keysAfter;
    int most[kFnCount] = {};
    // fn < 0 fails nothing and counts the calls; then the n-th call of fn fails on each thread.
    auto tryPoint = [&](int fn, int n) {
      testsupport::writeWholeFile(settingsFilePath, before);
      s.prepare();
      failures = 0;
      ++generation;
      std::fill(mostCalls, mostCalls + kFnCount, 0);
      armedCall = n;
      armedFn = fn < 0 ? kFnCount : fn;
      const char* stalled = s.act();
      armedFn = -1;
      recoverProgramTimerMove();  // what the next start does first
      if (!stalled && s.check) stalled = s.check();
      std::string fault = stalled ? stalled : "";
      if (fn < 0) {
        std::copy(mostCalls, mostCalls + kFnCount, most);
        keysAfter = settingsKeys();
      }
      const int failed = failures;
      for (const auto& [key, value] : settingsKeys())
        if (fault.empty() && key != L"TIMER/RESUME" &&  // RESUME: the stop rule below
            (!keysBefore.count(key) || keysBefore.at(key) != value) &&
            (!keysAfter.count(key) || keysAfter.at(key) != value))
          fault = "key " + std::string(key.begin(), key.end()) + " holds neither its old nor its new value";
      // Every scenario ends with no run going: a stop or an end that did not reach the disk
      // must have been told.
      if (fault.empty() && readResumeFlag() == 1 &&
          !pumpUntil([] { return !failureBoxes().empty(); }, 2000))
        fault = "a stopped run would resume at the next start, untold";
      pump(150);
      const int told = (int)failureBoxes().size();
      if (fault.empty() && told > failed) fault = "told " + std::to_string(told) + " times";
      if (fault.empty() && (runActive != 0 || targetTick != 0u)) fault = "the next start cannot run";
      if (!fault.empty()) {
        ++faults;
        ADD_FAILURE() << s.name << ", " << (fn < 0 ? "no failure" : kFnNames[fn]) << " call " << n << ": " << fault;
      }
      stopRun();
      while (!failureBoxes().empty()) closeDialogs(ownDialogs());
    };
    tryPoint(-1, 0);
    for (int fn = 0; fn < kFnCount; ++fn)
      for (int n = 1; n <= most[fn]; ++n, ++points) tryPoint(fn, n);
  }
  printf("failure sweep: %d scenarios, %d failure points tried, %d faults found\n", (int)std::size(kScenarios), points,
         faults);
  for (int i = 0; i < 10; ++i) {
    wchar_t path[1024];
    programTimerFilePath(i, path, 1024);
    DeleteFileW(path);
  }
  DeleteFileW(settingsFilePath);
  RemoveDirectoryW(sweepFolder.c_str());
  mainWindow = nullptr;
}

}  // namespace
