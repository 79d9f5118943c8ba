// Helpers of the window-look tests: windows of the test process on their own thread (a
// patterned "desktop" that counts the clicks it gets, a stand-in shell desktop host), real
// X input and screenshots through the Unix tools, and bitmap files.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_window.h"
#include "tests/support/whole_file.h"
#include "velmora_harness.h"

namespace look {

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kKeyGrey = 0x6F6F6F;

// Runs a Unix shell command line and waits for it to end. Wine starts native programs,
// but their process handle is signalled at once, so the command touches a marker file when
// done and that is what is waited for. (Links are not followed: name the program itself.)
inline bool runUnix(const std::wstring& command, DWORD timeoutMs = 15000) {
  static int counter = 0;
  std::wstring marker = L"/tmp/velmora-look-done-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(counter++);
  std::wstring markerWin = L"Z:" + marker;
  for (wchar_t& c : markerWin)
    if (c == L'/') c = L'\\';
  DeleteFileW(markerWin.c_str());
  std::wstring cmd = L"Z:\\usr\\bin\\dash -c \"" + command + L"; : > " + marker + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  bool done = e2e::waitFor([&] { return GetFileAttributesW(markerWin.c_str()) != INVALID_FILE_ATTRIBUTES; },
                           timeoutMs, 10);
  DeleteFileW(markerWin.c_str());
  return done;
}

// A real X pointer action at screen point (x, y); in Wine's virtual desktop screen and X
// root coordinates are the same. button 1 left, 3 right; clicks 2 for a double click.
inline bool xClick(int x, int y, int button, int clicks = 1) {
  return runUnix(L"/usr/bin/xdotool mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y) +
                 L" click --repeat " + std::to_wstring(clicks) + L" --delay 80 " + std::to_wstring(button));
}
inline bool xMove(int x, int y) {
  return runUnix(L"/usr/bin/xdotool mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y));
}
inline bool xKey(const wchar_t* name) { return runUnix(std::wstring(L"/usr/bin/xdotool key ") + name); }

struct Shot {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom
  uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
  size_t count(uint32_t c) const {
    size_t n = 0;
    for (uint32_t p : pixels) n += p == c;
    return n;
  }
  bool empty() const { return pixels.empty(); }
  e2e::Capture asCapture() const {
    e2e::Capture c;
    c.width = width;
    c.height = height;
    c.pixels = pixels;
    return c;
  }
};

// Reads a 24- or 32-bit uncompressed BMP file.
inline Shot readBmp(const std::wstring& path) {
  Shot s;
  const std::string bytes = testsupport::readWholeFile(path);
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return s;
  auto u32 = [&](size_t o) { return uint32_t(uint8_t(bytes[o])) | uint32_t(uint8_t(bytes[o + 1])) << 8 |
                                    uint32_t(uint8_t(bytes[o + 2])) << 16 | uint32_t(uint8_t(bytes[o + 3])) << 24; };
  uint32_t offset = u32(10);
  int w = int(u32(18)), h = int(u32(22));
  int bpp = uint8_t(bytes[28]) | uint8_t(bytes[29]) << 8;
  bool topDown = h < 0;
  if (topDown) h = -h;
  if (bpp != 24 && bpp != 32) return s;
  size_t stride = ((size_t(w) * bpp / 8) + 3) & ~size_t(3);
  if (bytes.size() < offset + stride * h) return s;
  s.width = w;
  s.height = h;
  s.pixels.resize(size_t(w) * h);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = (const uint8_t*)bytes.data() + offset + stride * (topDown ? y : h - 1 - y);
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = row + x * (bpp / 8);
      s.pixels[size_t(y) * w + x] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
  }
  return s;
}

// A screenshot of a screen rectangle taken from the X root window, as the user sees it.
inline Shot screenshot(const RECT& r) {
  static int counter = 0;
  std::wstring unixPath = L"/tmp/velmora-look-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(counter++) + L".bmp";
  std::wstring winPath = L"Z:" + unixPath;
  for (wchar_t& c : winPath)
    if (c == L'/') c = L'\\';
  DeleteFileW(winPath.c_str());
  runUnix(L"/usr/bin/import -window root -crop " + std::to_wstring(r.right - r.left) + L"x" +
          std::to_wstring(r.bottom - r.top) + L"+" + std::to_wstring(r.left) + L"+" + std::to_wstring(r.top) +
          L" +repage BMP3:" + unixPath);
  Shot s = readBmp(winPath);
  DeleteFileW(winPath.c_str());
  return s;
}

// Where the look tests leave pictures to be looked at: beside the test exe.
inline std::wstring picturePath(const std::wstring& name) {
  wchar_t exe[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring dir(exe, n);
  return dir.substr(0, dir.find_last_of(L"\\/") + 1) + name;
}
inline void savePicture(const Shot& s, const std::wstring& name) { s.asCapture().saveBmp(picturePath(name)); }

// Windows of the test process with a message loop on a thread of their own, so the test
// can block while they paint and take clicks.
class WindowThread {
 public:
  explicit WindowThread(std::function<void()> create) {
    std::atomic<bool> ready{false};
    thread_ = std::thread([&, create] {
      threadId_ = GetCurrentThreadId();
      create();
      ready = true;
      MSG m;
      while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
    });
    while (!ready) Sleep(5);
  }
  ~WindowThread() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  WindowThread(const WindowThread&) = delete;
  WindowThread& operator=(const WindowThread&) = delete;

 private:
  std::thread thread_;
  DWORD threadId_ = 0;
};

using testsupport::paintCheckerboard;
using testsupport::registerClass;

inline std::atomic<int> patternClicks{0};  // button presses that reached the pattern window

inline LRESULT CALLBACK patternProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
    case WM_PAINT: paintCheckerboard(w, 16); return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: ++patternClicks; return 0;
    case WM_RBUTTONUP: return 0;
    // It stays the bottom window: a click must not raise it over the program.
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_WINDOWPOSCHANGING: ((WINDOWPOS*)lp)->flags |= SWP_NOZORDER; return 0;
    default: return DefWindowProcW(w, m, wp, lp);
  }
}

// A red and blue checkerboard top-level window: the "desktop" behind the program.
class PatternWindow {
 public:
  explicit PatternWindow(const RECT& r)
      : thread_([this, r] {
          registerClass(L"VelmoraLookPattern", patternProc, CS_DBLCLKS);
          hwnd_ = CreateWindowExW(WS_EX_NOACTIVATE, L"VelmoraLookPattern", L"pattern", WS_POPUP | WS_VISIBLE, r.left,
                                  r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        }) {
    patternClicks = 0;
  }
  ~PatternWindow() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
  WindowThread thread_;
};

// A stand-in for the shell's desktop: a top-level window of className with an icon-view
// child "SHELLDLL_DefView".
class DesktopHost {
 public:
  DesktopHost(const wchar_t* className, const RECT& r)
      : thread_([this, className, r] {
          registerClass(className, patternProc, CS_DBLCLKS);
          registerClass(L"SHELLDLL_DefView", DefWindowProcW, CS_DBLCLKS);
          host_ = CreateWindowExW(WS_EX_NOACTIVATE, className, L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, r.left,
                                  r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
          CreateWindowExW(0, L"SHELLDLL_DefView", L"", WS_CHILD, 0, 0, 1, 1, host_, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
        }) {}
  HWND hwnd() const { return host_; }

 private:
  HWND host_ = nullptr;
  WindowThread thread_;
};

struct MenuSearch {
  DWORD pid;
  HWND found;
};
inline BOOL CALLBACK findMenuOf(HWND w, LPARAM p) {
  auto* s = (MenuSearch*)p;
  wchar_t cls[16];
  GetClassNameW(w, cls, 16);
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  if (owner == s->pid && lstrcmpW(cls, L"#32768") == 0 && IsWindowVisible(w)) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}
// A visible context menu ("#32768") of process pid, or null.
inline HWND findPopupMenu(DWORD pid) {
  MenuSearch s{pid, nullptr};
  EnumWindows(findMenuOf, (LPARAM)&s);
  return s.found;
}

}  // namespace look
