// Translucency on screen. The virtual desktop never blends, so this test runs the program
// on a desktop of its own, which Wine shows as plain X windows, with a compositor started
// for the test; the digits must then come out half way between black and the pattern.
#include <gtest/gtest.h>

#include "look_support.h"
#include "tests/support/start_program.h"
#include "velmora_harness.h"

using e2e::VelmoraProcess;
using namespace look;

namespace {

struct DesktopSearch {
  DWORD pid;
  HWND found;
};
BOOL CALLBACK findProgramWindow(HWND w, LPARAM p) {
  auto* s = (DesktopSearch*)p;
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  if (owner == s->pid && e2e::windowClass(w) == L"VELMORA") {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

// The program started on a desktop other than the virtual one (the harness only gives
// the folder); ended and cleaned up by the destructor.
class PlainXProgram {
 public:
  PlainXProgram(VelmoraProcess& app, const wchar_t* desktop) : desktop_(desktop) {
    std::wstring exe = app.path(L"velmora.exe");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.lpDesktop = desktop_.data();
    PROCESS_INFORMATION pi{};
    if (!testsupport::startProgram(exe, L"", app.directory(), si, pi)) return;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    // The desktop comes into being while the program starts.
    e2e::waitFor([&] {
      HDESK d = OpenDesktopW(desktop_.c_str(), 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
      if (!d) return false;
      DesktopSearch s{pi.dwProcessId, nullptr};
      EnumDesktopWindows(d, findProgramWindow, (LPARAM)&s);
      CloseDesktop(d);
      return (window_ = s.found) != nullptr;
    }, 15000, 100);
  }
  ~PlainXProgram() {
    if (!process_) return;
    if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
    CloseHandle(process_);
  }
  HWND window() const { return window_; }

 private:
  std::wstring desktop_;
  HANDLE process_ = nullptr;
  HWND window_ = nullptr;
};

// A compositor on the test's display for as long as the object lives.
class Compositor {
 public:
  Compositor() {
    pidFile_ = L"/tmp/velmora-look-xcompmgr-" + std::to_wstring(GetCurrentProcessId());
    started_ = GetFileAttributesW(L"Z:\\usr\\bin\\xcompmgr") != INVALID_FILE_ATTRIBUTES &&
               runUnix(L"/usr/bin/xcompmgr </dev/null >/dev/null 2>&1 & echo $! > " + pidFile_);
    Sleep(500);
  }
  ~Compositor() {
    if (started_) runUnix(L"kill $(cat " + pidFile_ + L"); rm -f " + pidFile_);
  }
  bool started() const { return started_; }

 private:
  std::wstring pidFile_;
  bool started_ = false;
};

int channelNear(uint32_t p, int shift, int value, int tolerance) {
  int c = int((p >> shift) & 0xFF);
  return c >= value - tolerance && c <= value + tolerance;
}

TEST(LookAlphaBlend, HalfOpaqueDigitsBlendWithWhatLiesBelowAndTheKeyStaysSeeThrough) {
  Compositor compositor;
  if (!compositor.started()) GTEST_SKIP() << "no xcompmgr on this machine";
  PatternWindow pattern(RECT{40, 40, 640, 440});
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nWIN_SAVE=1\r\nALWAYS_TRAY=0\r\nENABLE_ALPHA=1\r\nWIN_ALPHA=128\r\n"
                                L"[WINDOW]\r\nLEFT=100\r\nTOP=100\r\nWIDTH=420\r\nHEIGHT=220\r\nLAYERED=1\r\n"));
  PlainXProgram program(app, L"velmora-look-plain-x");
  ASSERT_NE(program.window(), nullptr) << "the program did not show its window";
  RECT r{};
  GetWindowRect(program.window(), &r);

  Shot s;
  size_t halfRed = 0, halfBlue = 0;
  e2e::waitFor([&] {
    s = screenshot(r);
    halfRed = halfBlue = 0;
    for (uint32_t p : s.pixels) {
      halfRed += channelNear(p, 16, 128, 3) && channelNear(p, 8, 0, 3) && channelNear(p, 0, 0, 3);
      halfBlue += channelNear(p, 16, 0, 3) && channelNear(p, 8, 0, 3) && channelNear(p, 0, 128, 3);
    }
    return halfRed + halfBlue > 1000;
  }, 8000, 200);
  savePicture(s, L"look-translucent.bmp");
  ASSERT_FALSE(s.empty());
  EXPECT_GT(halfRed + halfBlue, 1000u) << "digits blended half way into the pattern";
  EXPECT_EQ(s.count(0x000000), 0u) << "no fully opaque digit pixel";
  EXPECT_EQ(s.count(kKeyGrey), 0u) << "the key colour stays fully see-through";
  EXPECT_GT(s.count(kRed) + s.count(kBlue), s.pixels.size() / 2) << "the pattern shows around the digits";
}

}  // namespace
