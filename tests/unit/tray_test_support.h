// Shared pieces of the in-process tray and options tests: a model of the notification area
// that records every request, a watcher that answers this process's message boxes, a fresh
// settings file and a plain top-level window standing in for the main window.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/whole_file.h"

#include "common/settings.h"
#include "display/look_icons.h"
#include "display/z_order.h"
#include "res/resource.h"
#include "shell/tray_icon.h"

namespace traytest {

// The notification area as the shell keeps it: one entry per (window, id); adding an
// existing icon and changing or deleting a missing one fail. `working` false = no shell.
struct FakeShell {
  struct Call {
    DWORD message;
    NOTIFYICONDATAW data;
  };
  std::vector<Call> calls;
  std::set<std::pair<HWND, UINT>> icons;
  bool working = true;

  static FakeShell*& current() {
    static FakeShell* shell = nullptr;
    return shell;
  }
  static BOOL WINAPI notify(DWORD message, PNOTIFYICONDATAW data) {
    FakeShell* self = current();
    Call call{message, {}};
    memcpy(&call.data, data, data->cbSize < sizeof(NOTIFYICONDATAW) ? data->cbSize : sizeof(NOTIFYICONDATAW));
    self->calls.push_back(call);
    if (!self->working) return FALSE;
    auto key = std::make_pair(data->hWnd, data->uID);
    switch (message) {
      case NIM_ADD: return self->icons.insert(key).second;
      case NIM_DELETE: return self->icons.erase(key) == 1;
      case NIM_MODIFY: return self->icons.count(key) == 1;
      default: return FALSE;
    }
  }
  bool has(HWND window) const { return icons.count({window, 1u}) == 1; }
  int count(DWORD message) const {
    int n = 0;
    for (const Call& c : calls) n += c.message == message;
    return n;
  }
};

// Answers every message box of this process with the given button (IDOK, else its first
// button when it has no such one), keeping the texts.
class MessageBoxWatcher {
 public:
  explicit MessageBoxWatcher(int answer = IDOK) : answer_(answer), thread_([this] { run(); }) {}
  ~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::wstring> texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }

 private:
  struct Search {
    DWORD pid;
    HWND found;
  };
  static BOOL CALLBACK findBox(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    DWORD pid = 0;
    wchar_t cls[16] = L"";
    GetWindowThreadProcessId(w, &pid);
    GetClassNameW(w, cls, 16);
    if (pid == s->pid && wcscmp(cls, L"#32770") == 0 && GetDlgItem(w, 0xFFFF) && IsWindowVisible(w)) {
      s->found = w;
      return FALSE;
    }
    return TRUE;
  }
  void run() {
    while (!stop_) {
      Search s{GetCurrentProcessId(), nullptr};
      EnumWindows(findBox, (LPARAM)&s);
      if (s.found) {
        wchar_t text[512] = L"";
        GetDlgItemTextW(s.found, 0xFFFF, text, 512);
        {
          std::lock_guard<std::mutex> lock(mutex_);
          texts_.push_back(text);
        }
        HWND button = GetDlgItem(s.found, answer_);
        if (!button) button = FindWindowExW(s.found, nullptr, L"Button", nullptr);
        SendMessageW(button, BM_CLICK, 0, 0);
        Sleep(50);
      }
      Sleep(10);
    }
  }
  const int answer_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::wstring> texts_;
  std::thread thread_;
};

inline LRESULT CALLBACK plainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(w, m, wp, lp);
}

// A fresh settings file, the fake shell and a visible framed window titled "Velmora".
class TrayFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    static int counter = 0;
    swprintf_s(path_, MAX_PATH, L"%lsvelmora-tray-%lu-%d.ini", dir, GetCurrentProcessId(), counter++);
    DeleteFileW(path_);
    wcscpy_s(settingsFilePath, path_);
    FakeShell::current() = &shell;
    shellNotifyIcon = FakeShell::notify;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = plainWindowProc;
    wc.hInstance = instance;
    const LookIcons icons = lookIcons(instance, IDI_IDLE);
    wc.hIcon = icons.large;
    wc.hIconSm = icons.small;
    wc.lpszClassName = L"VelmoraTrayTest";
    RegisterClassExW(&wc);
    window = CreateWindowExW(0, L"VelmoraTrayTest", L"Velmora", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200,
                             nullptr, nullptr, instance, nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    for (auto* v : {&IN_TRAY, &ALWAYS_TRAY, &UNTOUCHABLE, &HIDE_TASKBAR, &Z_ORDER, &EXIT_CHECK,
                    &START_SYURYO_CHECK, &BALLOON, &WIN_SAVE, &JIKOKU_LOOP})
      *v = 0;
    backgroundWindow = nullptr;
  }
  void TearDown() override {
    DestroyWindow(window);
    shellNotifyIcon = Shell_NotifyIconW;
    FakeShell::current() = nullptr;
    DeleteFileW(path_);
  }
  std::wstring readKey(const wchar_t* key) {
    wchar_t buf[64];
    GetPrivateProfileStringW(L"OPTION_SETTING", key, L"<missing>", buf, 64, path_);
    return buf;
  }
  // The settings file as text (UTF-16 with a byte-order mark, as the writers create it).
  std::wstring fileText() { return testsupport::readUtf16File(path_); }
  // Lets the shown/hidden state settle (ShowWindow is synchronous, the desktop's reaction is not).
  void pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }

  FakeShell shell;
  HWND window = nullptr;
  wchar_t path_[MAX_PATH];
};

}  // namespace traytest
