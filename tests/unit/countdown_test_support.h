// A hidden window that routes the sound messages as the main window does and records what the
// workers post to it, message pumping while waiting, and finding this process's message boxes.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/whole_file.h"

#include "common/window_requests.h"
#include "shell/alarm.h"
#include "shell/looks.h"
#include "timers/keep_awake.h"

namespace countdown_test {

struct Posted {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD tick;    // when the window thread took it
  DWORD posted;  // when the worker posted it
};

inline std::vector<Posted>& posted() {
  static std::vector<Posted> list;
  return list;
}

// When set, WM_APP+1 is only recorded, not played.
inline bool& recordOnly() {
  static bool value = false;
  return value;
}

inline LRESULT CALLBACK testWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PLAY_SOUND:
      posted().push_back({message, wParam, lParam, GetTickCount(), (DWORD)GetMessageTime()});
      if (!recordOnly()) onPlaySoundRequest(window, wParam, lParam);
      return 0;
    case WM_STOP_SOUND:
      posted().push_back({message, wParam, lParam, GetTickCount(), (DWORD)GetMessageTime()});
      stopAlarm();
      return 0;
    case MM_MCINOTIFY:
      posted().push_back({message, wParam, lParam, GetTickCount(), (DWORD)GetMessageTime()});
      onAlarmNotify(window, wParam);
      return 0;
    case WM_TELL_FAILURE: onTellFailure(window, wParam); return 0;
    case WM_TIMER:
      if (onKeepAwakeTimer(window, wParam)) return 0;
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      if (applyLookRequest(window, message, wParam, lParam)) return 0;
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// A hidden top-level window of its own class (its class icon is changed by the looks).
class TestWindow {
 public:
  TestWindow() {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = testWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VELMORA_TEST_WINDOW";
    RegisterClassExW(&wc);
    hwnd = CreateWindowExW(0, wc.lpszClassName, L"Velmora", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                           nullptr, wc.hInstance, nullptr);
    posted().clear();
    recordOnly() = false;
  }
  ~TestWindow() {
    mciSendStringW(L"close all", nullptr, 0, nullptr);
    DestroyWindow(hwnd);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  std::wstring title() const {
    wchar_t text[256] = L"";
    GetWindowTextW(hwnd, text, 256);
    return text;
  }
  int count(UINT message, WPARAM wParam = ~WPARAM(0)) const {
    int n = 0;
    for (const Posted& p : posted())
      if (p.message == message && (wParam == ~WPARAM(0) || p.wParam == wParam)) ++n;
    return n;
  }

  HWND hwnd = nullptr;
};

// Dispatches this thread's messages for ms milliseconds.
inline void pump(DWORD ms) {
  DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < ms);
}

// Pumps until pred holds (true) or timeoutMs passed (false).
inline bool pumpUntil(const std::function<bool()>& pred, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!pred()) {
    if (GetTickCount() - start > timeoutMs) return false;
    pump(10);
  }
  return true;
}

inline std::wstring textOf(HWND hwnd) {
  wchar_t text[1024] = L"";
  GetWindowTextW(hwnd, text, 1024);
  return text;
}

inline BOOL CALLBACK collectOwnDialog(HWND hwnd, LPARAM param) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[32] = L"";
  GetClassNameW(hwnd, cls, 32);
  if (pid == GetCurrentProcessId() && lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(hwnd))
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

// This process's visible dialog windows (message boxes, dialogs, choosers).
inline std::vector<HWND> ownDialogs() {
  std::vector<HWND> found;
  EnumWindows(collectOwnDialog, (LPARAM)&found);
  return found;
}

inline std::vector<HWND> dialogsWithCaption(const std::wstring& caption) {
  std::vector<HWND> out;
  for (HWND d : ownDialogs())
    if (textOf(d) == caption) out.push_back(d);
  return out;
}

inline std::wstring messageBoxText(HWND box) { return textOf(GetDlgItem(box, 0xFFFF)); }

inline std::vector<HWND> ownMessageBoxes(const std::wstring& text) {
  std::vector<HWND> out;
  for (HWND d : ownDialogs())
    if (messageBoxText(d) == text) out.push_back(d);
  return out;
}

inline void closeDialogs(const std::vector<HWND>& boxes) {
  for (HWND b : boxes) PostMessageW(b, WM_COMMAND, IDOK, 0);
  pump(100);
}

// Writes a 16-bit mono PCM WAV of a sine tone lasting ms milliseconds.
inline bool writeToneWav(const std::wstring& path, DWORD ms) {
  const uint32_t rate = 22050, samples = rate * ms / 1000, dataBytes = samples * 2;
  std::vector<uint8_t> b;
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i))); };
  auto u16 = [&](uint16_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); };
  auto tag = [&](const char* t) { b.insert(b.end(), t, t + 4); };
  tag("RIFF"); u32(36 + dataBytes); tag("WAVE");
  tag("fmt "); u32(16); u16(1); u16(1); u32(rate); u32(rate * 2); u16(2); u16(16);
  tag("data"); u32(dataBytes);
  for (uint32_t i = 0; i < samples; ++i) u16(uint16_t(int16_t(((i / 25) % 2) ? 6000 : -6000)));
  return testsupport::writeWholeFile(path, std::string(b.begin(), b.end()));
}

inline std::wstring tempPath(const std::wstring& name) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  return std::wstring(dir) + L"velmora-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
}

}  // namespace countdown_test

#include <atomic>
#include <thread>

namespace countdown_test {

// Waits on another thread for a dialog of this process with the caption.
inline HWND waitForOwnDialog(const std::wstring& caption, DWORD timeoutMs = 5000) {
  DWORD start = GetTickCount();
  do {
    std::vector<HWND> found = dialogsWithCaption(caption);
    if (!found.empty()) return found.front();
    pump(20);  // a box owned by this thread's window sends to it while it comes up
  } while (GetTickCount() - start < timeoutMs);
  return nullptr;
}

}  // namespace countdown_test
