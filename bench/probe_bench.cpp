// The measuring helper of the benchmark and release scripts, run under the same Wine as the
// program it watches: it starts a program and times its first painted frame, closes it
// (answering its exit question), resizes or commands the peer, and times the time-up notice.
//
//   probe launch <timeout s> <program> [arguments...]   start, wait for the first painted frame
//   probe close <pid> <timeout s>                       WM_CLOSE, answer "yes", wait for the end
//   probe place <pid> <x> <y> <width> <height>          move and size the main window
//   probe changes <pid> <ms>                            does the client area change within ms?
//   probe menu-id <program file> <item text>            id of a menu item in the program's menus
//   probe command <pid> <id>                            post WM_COMMAND id to the main window
//   probe timeup <runs> <seconds> <program> <ini file>  lateness of the time-up notice
//
// Results go to standard output as "name value" lines; the exit code is 0 on success.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <unordered_map>
#include <vector>

#include "tests/support/dib_surface.h"
#include "tests/support/performance_counter.h"

using testsupport::nowMs;

namespace {

std::wstring className(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

DWORD processOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

struct WindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK checkMainWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  if (processOf(window) != search->pid || !IsWindowVisible(window)) return TRUE;
  if (GetWindow(window, GW_OWNER) || className(window) == L"#32770") return TRUE;
  RECT client{};
  GetClientRect(window, &client);
  if (client.right <= 0 || client.bottom <= 0) return TRUE;
  search->found = window;
  return FALSE;
}

// The program's main window: visible, top-level, unowned, not a dialog box, with a client area.
HWND mainWindowOf(DWORD pid) {
  WindowSearch search{pid, nullptr};
  EnumWindows(checkMainWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The main window, or null after printing "error no-window".
HWND mainWindowOrError(DWORD pid) {
  HWND window = mainWindowOf(pid);
  if (!window) std::printf("error no-window\n");
  return window;
}

// A visible message box of the process, optionally only one whose text contains `text`.
HWND messageBoxOf(DWORD pid, const wchar_t* text) {
  for (HWND box = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); box;
       box = FindWindowExW(nullptr, box, L"#32770", nullptr)) {
    if (processOf(box) != pid || !IsWindowVisible(box)) continue;
    if (!text) return box;
    wchar_t shown[512] = {};
    GetWindowTextW(GetDlgItem(box, 0xFFFF), shown, 512);
    if (wcsstr(shown, text)) return box;
  }
  return nullptr;
}

// A frame counts as painted when a visible share of the client area differs from its most
// common colour: an unpainted window is one flat colour, a drawn read-out or clock face is not.
bool clientPainted(HWND window) {
  SIZE size;
  const std::vector<uint32_t> pixels = testsupport::clientPixels(window, &size);
  if (pixels.empty()) return false;
  std::unordered_map<uint32_t, size_t> counts;
  size_t dominant = 0;
  for (uint32_t p : pixels) dominant = std::max(dominant, ++counts[p]);
  const size_t others = pixels.size() - dominant;
  return others >= std::max<size_t>(20, pixels.size() / 500);
}

BOOL CALLBACK printWindowOf(HWND window, LPARAM pid) {
  if (processOf(window) != (DWORD)pid) return TRUE;
  wchar_t title[256] = {}, text[256] = {};
  GetWindowTextW(window, title, 256);
  GetWindowTextW(GetDlgItem(window, 0xFFFF), text, 256);
  char utf8[1024] = {};
  std::wstring line = className(window) + L" \"" + title + L"\" \"" + text + L"\"";
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
  std::printf("  window %p %s %s\n", (void*)window, IsWindowVisible(window) ? "visible" : "hidden", utf8);
  return TRUE;
}

// Lists the process's top-level windows: class, title, message text.
void printWindowsOf(DWORD pid) { EnumWindows(printWindowOf, (LPARAM)pid); }

bool processEnded(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

// Starts the program; returns false when it cannot be started.
bool startProgram(const std::wstring& commandLine, PROCESS_INFORMATION* pi) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  std::wstring line = commandLine;
  return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        pi) != 0;
}

std::wstring quoted(const wchar_t* argument) {
  std::wstring s = L"\"";
  s += argument;
  s += L"\"";
  return s;
}

// Waits for the first painted frame of a started program. Returns the window or null.
HWND waitForPaint(const PROCESS_INFORMATION& pi, double start, int timeoutMs, double* windowMs,
                  double* paintedMs) {
  *windowMs = -1;
  while (nowMs() - start < timeoutMs) {
    if (processEnded(pi.hProcess)) return nullptr;
    HWND window = mainWindowOf(pi.dwProcessId);
    if (window) {
      if (*windowMs < 0) *windowMs = nowMs() - start;
      if (clientPainted(window)) {
        *paintedMs = nowMs() - start;
        return window;
      }
    }
    Sleep(2);
  }
  return nullptr;
}

int launch(int timeoutSeconds, const std::wstring& commandLine) {
  PROCESS_INFORMATION pi{};
  const double start = nowMs();
  if (!startProgram(commandLine, &pi)) {
    std::printf("error cannot-start %lu\n", GetLastError());
    return 1;
  }
  double windowMs = -1, paintedMs = -1;
  HWND window = waitForPaint(pi, start, timeoutSeconds * 1000, &windowMs, &paintedMs);
  if (!window) {
    DWORD code = 0;
    if (processEnded(pi.hProcess) && GetExitCodeProcess(pi.hProcess, &code)) {
      std::printf("error ended-early %lu\n", code);
    } else {
      std::printf("error no-painted-window window_ms=%.1f\n", windowMs);
      TerminateProcess(pi.hProcess, 1);
    }
    return 1;
  }
  RECT outer{};
  GetWindowRect(window, &outer);
  std::printf("pid %lu\nwindow %p\nclass %ls\nwindow_ms %.1f\npainted_ms %.1f\nsize %ldx%ld\n",
              pi.dwProcessId, (void*)window, className(window).c_str(), windowMs, paintedMs,
              outer.right - outer.left, outer.bottom - outer.top);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}

// Closes the program like a user: WM_CLOSE, "yes" to a question, "OK" to a notice.
bool closeProgram(DWORD pid, HANDLE process, int timeoutMs) {
  const double start = nowMs();
  double lastClose = -1e9;
  while (nowMs() - start < timeoutMs) {
    if (processEnded(process)) return true;
    if (HWND box = messageBoxOf(pid, nullptr)) {
      HWND button = GetDlgItem(box, IDYES);
      if (!button) button = GetDlgItem(box, IDOK);
      if (button) SendMessageW(button, BM_CLICK, 0, 0);
    } else if (nowMs() - lastClose > 1000) {
      if (HWND window = mainWindowOf(pid)) PostMessageW(window, WM_CLOSE, 0, 0);
      lastClose = nowMs();
    }
    Sleep(20);
  }
  return processEnded(process);
}

int closeCommand(DWORD pid, int timeoutSeconds) {
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE,
                               FALSE, pid);
  if (!process) {
    std::printf("closed already\n");
    return 0;
  }
  const bool ended = closeProgram(pid, process, timeoutSeconds * 1000);
  DWORD code = 0;
  if (ended) {
    GetExitCodeProcess(process, &code);
    std::printf("closed exit_code=%lu\n", code);
  } else {
    TerminateProcess(process, 1);
    std::printf("error did-not-end (terminated)\n");
  }
  CloseHandle(process);
  return ended ? 0 : 1;
}

int placeCommand(DWORD pid, int x, int y, int width, int height) {
  HWND window = mainWindowOrError(pid);
  if (!window) return 1;
  SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  Sleep(300);
  RECT outer{};
  GetWindowRect(window, &outer);
  std::printf("placed %ld,%ld %ldx%ld\n", outer.left, outer.top, outer.right - outer.left,
              outer.bottom - outer.top);
  return 0;
}

int changesCommand(DWORD pid, int ms) {
  HWND window = mainWindowOrError(pid);
  if (!window) return 1;
  SIZE size1, size2;
  const std::vector<uint32_t> before = testsupport::clientPixels(window, &size1);
  Sleep(ms);
  const std::vector<uint32_t> after = testsupport::clientPixels(window, &size2);
  size_t differing = 0;
  if (before.size() == after.size() && size1.cx == size2.cx)
    for (size_t i = 0; i < before.size(); ++i) differing += before[i] != after[i];
  std::printf("changed_pixels %zu\n", differing);
  return 0;
}

// Depth-first search of a menu for an item with exactly this label.
bool findMenuItem(HMENU menu, const wchar_t* text, UINT* id) {
  for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      if (findMenuItem(sub, text, id)) return true;
      continue;
    }
    wchar_t label[256] = {};
    GetMenuStringW(menu, i, label, 256, MF_BYPOSITION);
    if (wcscmp(label, text) == 0) {
      *id = GetMenuItemID(menu, i);
      return true;
    }
  }
  return false;
}

struct MenuSearch {
  const wchar_t* text;
  UINT id;
  bool found;
};

// Every language of a menu resource: the item ids are the same, only the labels differ.
BOOL CALLBACK searchMenuLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language,
                                 LONG_PTR param) {
  auto* search = reinterpret_cast<MenuSearch*>(param);
  HRSRC resource = FindResourceExW(module, type, name, language);
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  HMENU menu = loaded ? LoadMenuIndirectW(LockResource(loaded)) : nullptr;
  if (menu) {
    search->found = findMenuItem(menu, search->text, &search->id);
    DestroyMenu(menu);
  }
  return !search->found;
}

BOOL CALLBACK searchMenuName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  EnumResourceLanguagesW(module, type, name, searchMenuLanguage, param);
  return !reinterpret_cast<MenuSearch*>(param)->found;
}

// Finds a menu item by its label in the menu resources of a program file.
int menuIdCommand(const wchar_t* file, const wchar_t* text) {
  HMODULE module = LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) {
    std::printf("error cannot-load %lu\n", GetLastError());
    return 1;
  }
  MenuSearch search{text, 0, false};
  EnumResourceNamesW(module, RT_MENU, searchMenuName, reinterpret_cast<LONG_PTR>(&search));
  FreeLibrary(module);
  if (!search.found) {
    std::printf("error no-such-item\n");
    return 1;
  }
  std::printf("id %u\n", search.id);
  return 0;
}

int commandCommand(DWORD pid, int id) {
  HWND window = mainWindowOrError(pid);
  if (!window) return 1;
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  std::printf("posted %d\n", id);
  return 0;
}

// Milliseconds of a local SYSTEMTIME on one continuous scale.
long long localMs(const SYSTEMTIME& t) {
  FILETIME f{};
  if (!SystemTimeToFileTime(&t, &f)) return 0;
  ULARGE_INTEGER u;
  u.LowPart = f.dwLowDateTime;
  u.HighPart = f.dwHighDateTime;
  return (long long)(u.QuadPart / 10000);
}

long long localNowMs() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return localMs(t);
}

// The scheduled end the program wrote when its count-down started (section ALARM_TIME).
// The program writes the keys one at a time and each write rewrites the whole file, so a
// reader can meet a file cut short in the middle of a write: a key read then is missing
// (0) and the end comes out minutes or hours early. The section is read whole, twice, and
// only two equal, complete readings count.
bool readAlarmTimeOnce(const wchar_t* ini, SYSTEMTIME* t) {
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini);  // drop the profile cache
  wchar_t section[1024] = {};
  GetPrivateProfileSectionW(L"ALARM_TIME", section, 1024, ini);
  const wchar_t* names[7] = {L"YEAR", L"MONTH", L"DAY", L"HOUR", L"MINUTE", L"SECOND", L"MILLISECOND"};
  WORD* fields[7] = {&t->wYear, &t->wMonth, &t->wDay, &t->wHour, &t->wMinute, &t->wSecond, &t->wMilliseconds};
  int found = 0;
  for (const wchar_t* line = section; *line; line += wcslen(line) + 1) {
    const wchar_t* eq = wcschr(line, L'=');
    if (!eq) continue;
    for (int i = 0; i < 7; ++i)
      if ((size_t)(eq - line) == wcslen(names[i]) && wcsncmp(line, names[i], eq - line) == 0) {
        *fields[i] = (WORD)_wtoi(eq + 1);
        found |= 1 << i;
      }
  }
  return found == 0x7F;
}

int tornReadings = 0;  // readings of a half-written file that were thrown away

bool readScheduledEnd(const wchar_t* ini, long long* endMs) {
  SYSTEMTIME first{}, second{};
  if (!readAlarmTimeOnce(ini, &first)) return false;
  Sleep(10);
  if (!readAlarmTimeOnce(ini, &second) || memcmp(&first, &second, sizeof first) != 0) {
    ++tornReadings;
    return false;
  }
  *endMs = localMs(first);
  return *endMs != 0;
}

// Waits for the scheduled end the started program writes, then for its time-up notice.
// Also notes when the main window's title went back to the idle one (the first visible
// step of the time-up handling), or -1 if that was not seen before the notice.
bool waitForNotice(const PROCESS_INFORMATION& pi, const wchar_t* ini, const wchar_t* message,
                   double* lateMs, double* idleTitleMs) {
  long long endMs = 0;
  const double start = nowMs();
  while (!readScheduledEnd(ini, &endMs)) {
    if (nowMs() - start > 15000 || processEnded(pi.hProcess)) {
      std::printf("error no-scheduled-end\n");
      return false;
    }
    Sleep(20);
  }
  // From here on the performance counter times everything: the end the program wrote is
  // calendar time, and a step of the calendar clock must not count as lateness. A step is
  // reported, though, as the difference of the two clocks at the end against now.
  const double clockOffset = (double)localNowMs() - nowMs();
  const double end = (double)endMs - clockOffset;
  auto clockStep = [&] { return (double)localNowMs() - nowMs() - clockOffset; };
  // Sleep until shortly before the end, then look every millisecond.
  while (nowMs() < end - 300) Sleep(20);
  HWND window = mainWindowOf(pi.dwProcessId);
  *idleTitleMs = -1;
  for (;;) {
    if (window && *idleTitleMs < 0) {
      wchar_t title[256] = {};
      GetWindowTextW(window, title, 256);
      if (wcscmp(title, L"Velmora") == 0) *idleTitleMs = nowMs() - end;
    }
    if (messageBoxOf(pi.dwProcessId, message)) {
      *lateMs = nowMs() - end;
      if (std::abs(clockStep()) > 20) std::printf("calendar clock stepped by %.0f ms\n", clockStep());
      return true;
    }
    DWORD code = 0;
    if (processEnded(pi.hProcess) && GetExitCodeProcess(pi.hProcess, &code)) {
      std::printf("error ended-before-the-notice exit_code=0x%lx\n", code);
      return false;
    }
    if (nowMs() > end + 10000) {
      std::printf("error no-notice-within-10-s (calendar clock step %.0f ms); the program's windows:\n",
                  clockStep());
      printWindowsOf(pi.dwProcessId);
      return false;
    }
    Sleep(1);
  }
}

bool keepFailed = false;  // leave a failed run's program running, to look into it

// One short count-down from the command line: how long after its scheduled end the
// time-up notice became visible.
bool oneTimeUp(int seconds, const wchar_t* program, const wchar_t* ini, const wchar_t* message,
               double* lateMs, double* idleTitleMs) {
  // No ALARM_TIME before the start: the next one read is this run's.
  WritePrivateProfileStringW(L"ALARM_TIME", nullptr, nullptr, ini);
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini);
  PROCESS_INFORMATION pi{};
  if (!startProgram(quoted(program) + L" " + std::to_wstring(seconds), &pi)) {
    std::printf("error cannot-start %lu\n", GetLastError());
    return false;
  }
  const bool ok = waitForNotice(pi, ini, message, lateMs, idleTitleMs);
  if (!ok && keepFailed) {
    std::printf("kept pid %lu\n", pi.dwProcessId);
    std::exit(3);
  }
  if (!closeProgram(pi.dwProcessId, pi.hProcess, 15000)) TerminateProcess(pi.hProcess, 1);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return ok;
}

int timeUpCommand(int runs, int seconds, const wchar_t* program, const wchar_t* ini,
                  const wchar_t* message) {
  std::vector<double> late;
  int failed = 0;
  for (int i = 0; i < runs; ++i) {
    double ms = 0, idleTitleMs = -1;
    if (!oneTimeUp(seconds, program, ini, message, &ms, &idleTitleMs)) {
      std::printf("run %d failed\n", i + 1);
      ++failed;
      continue;
    }
    std::printf("run %d late_ms %.0f idle_title_ms %.0f\n", i + 1, ms, idleTitleMs);
    late.push_back(ms);
  }
  std::printf("failed_runs %d\n", failed);
  std::printf("torn_settings_readings %d\n", tornReadings);
  if (late.empty()) return 1;
  std::sort(late.begin(), late.end());
  const size_t n = late.size();
  const double median = n % 2 ? late[n / 2] : (late[n / 2 - 1] + late[n / 2]) / 2;
  std::printf("median_ms %.1f\nworst_ms %.0f\nbest_ms %.0f\n", median, late.back(), late.front());
  return failed ? 1 : 0;
}

int usage() {
  std::fprintf(stderr,
               "usage: probe launch <timeout s> <program> [args...] | close <pid> <timeout s> |\n"
               "       place <pid> <x> <y> <w> <h> | changes <pid> <ms> | menu-id <file> <text> |\n"
               "       command <pid> <id> | timeup <runs> <seconds> <program> <ini>\n");
  return 2;
}

}  // namespace

int main() {
  // Output goes to a file: unbuffered, so a killed run still leaves its figures.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return usage();
  if (argc < 2) return usage();
  const std::wstring what = argv[1];
  auto number = [&](int i) { return i < argc ? _wtoi(argv[i]) : 0; };
  if (what == L"launch" && argc >= 4) {
    std::wstring line = quoted(argv[3]);
    for (int i = 4; i < argc; ++i) line += L" " + std::wstring(argv[i]);
    return launch(number(2), line);
  }
  if (what == L"close" && argc == 4) return closeCommand((DWORD)number(2), number(3));
  if (what == L"place" && argc == 7)
    return placeCommand((DWORD)number(2), number(3), number(4), number(5), number(6));
  if (what == L"changes" && argc == 4) return changesCommand((DWORD)number(2), number(3));
  if (what == L"menu-id" && argc == 4) return menuIdCommand(argv[2], argv[3]);
  if (what == L"command" && argc == 4) return commandCommand((DWORD)number(2), number(3));
  // The notice text is built in: Wine converts a command line from the Unix locale's
  // character set, which may not be the UTF-8 a script passes.
  if (what == L"timeup" && argc == 7 && std::wstring(argv[6]) == L"keep") {
    keepFailed = true;
    argc = 6;
  }
  if (what == L"timeup" && argc == 6)
    return timeUpCommand(number(2), number(3), argv[4], argv[5], L"\u6642\u9593\u306b\u306a\u308a\u307e\u3057\u305f");
  return usage();
}
