#include "common/window_requests.h"

#include <cwchar>

#include "common/message_async.h"
#include "common/timer_state.h"

std::atomic<HWND> mainWindow{nullptr};

namespace {
std::atomic<DWORD> mainWindowMaker{0};  // the window thread, while it makes a new main window
}  // namespace

HWND followMainWindow(HWND window) {
  if (IsWindow(window)) return window;
  // A time-up in the moment after the shell went would post its sound into nothing and its
  // box would have no owner to open on.
  const DWORD me = GetCurrentThreadId();
  for (int waited = 0; waited < 3000; waited += 10) {
    const DWORD maker = mainWindowMaker;
    if (maker == 0 || maker == me) break;
    Sleep(10);
  }
  return mainWindow.load();
}

void loseMainWindow() {
  mainWindowMaker = GetCurrentThreadId();
  mainWindow = nullptr;
}

void setMainWindow(HWND window) {
  mainWindow = window;
  mainWindowMaker = 0;
}

void showRunningLook(HWND window) { PostMessageW(followMainWindow(window), WM_RUNNING_LOOK, (WPARAM)timerKind.load(), 0); }

void showIdleLook(HWND window) { PostMessageW(followMainWindow(window), WM_IDLE_LOOK, 0, 0); }

void showPausedLook(HWND window) { PostMessageW(followMainWindow(window), WM_PAUSED_LOOK, (WPARAM)timerKind.load(), 0); }

void showAutoCloseTitle(HWND window, uint32_t generation, uint32_t leftMs) {
  PostMessageW(followMainWindow(window), WM_AUTO_CLOSE_TITLE, (WPARAM)generation, (LPARAM)leftMs);
}

const wchar_t* failureNoticeText(FailureNotice notice) {
  switch (notice) {
    case NOTICE_SETTINGS_DISK_FULL: return L"ディスクの空き容量が足りないため、設定ファイルに書き込めませんでした";
    case NOTICE_THREAD: return L"スレッドの作成に失敗しました";
    default: return L"設定ファイルの書き込みに失敗しました";
  }
}

void tellFailure(HWND window, FailureNotice notice) {
  if (HWND to = followMainWindow(window)) PostMessageW(to, WM_TELL_FAILURE, notice, 0);
}

void onTellFailure(HWND window, WPARAM notice) {
  // One box for a failure while it is on screen: a start that cannot write its end cannot write
  // RESUME either, and a pause on a full disk fails at each toggle.
  static std::atomic<int> showing[NOTICE_THREAD + 1];
  if (notice > NOTICE_THREAD || showing[notice].exchange(1)) return;
  // A box on this thread would hold the window's messages (and the looks it applies) until closed.
  showMessageAsync(window, failureNoticeText((FailureNotice)notice), L"Velmora", MB_ICONERROR, &showing[notice]);
}

namespace {

// A buffer is taken for a request and freed once the window thread has read it; the last
// unit of each buffer only ever holds a terminator.
constexpr unsigned kSoundSlots = 16;
wchar_t soundRequestPaths[kSoundSlots][512];
std::atomic<int> soundSlotTaken[kSoundSlots];
std::atomic<unsigned> nextSoundSlot{0};

}  // namespace

const wchar_t* keepSoundPathForRequest(const wchar_t* path) {
  const unsigned first = nextSoundSlot.fetch_add(1);
  for (unsigned i = 0; i < kSoundSlots; ++i) {
    const unsigned slot = (first + i) % kSoundSlots;
    int free = 0;
    if (!soundSlotTaken[slot].compare_exchange_strong(free, 1)) continue;
    wcsncpy_s(soundRequestPaths[slot], 512, path, _TRUNCATE);
    return soundRequestPaths[slot];
  }
  return nullptr;
}

void releaseSoundRequestPath(const wchar_t* path) {
  for (unsigned slot = 0; slot < kSoundSlots; ++slot)
    if (path == soundRequestPaths[slot]) soundSlotTaken[slot] = 0;
}

bool isSoundRequestPath(const wchar_t* path) {
  for (const wchar_t* buffer : soundRequestPaths)
    if (path == buffer) return true;
  return false;
}
