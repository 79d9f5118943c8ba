// Frame switch, desktop embedding and the background window on real windows of this
// process: the program's own main window class, and a desktop host made by the test
// (Wine has no shell desktop windows of its own).
#include <gtest/gtest.h>

#include <windows.h>
#include <imm.h>
#include <atomic>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/test_window.h"

#include "app/startup.h"
#include "common/settings.h"
#include "common/window_requests.h"
#include "display/colours_and_font.h"
#include "display/transparency.h"
#include "display/z_order.h"
#include "shell/tray_icon.h"
#include "display_test_support.h"

using namespace displaytest;
using testsupport::paintCheckerboard;
using testsupport::registerClass;

namespace {

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;
constexpr COLORREF kKey = RGB(111, 111, 111);

// A window painted as a 20-pixel checkerboard of red and blue.
LRESULT CALLBACK patternProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m != WM_PAINT) return DefWindowProcW(w, m, wp, lp);
  paintCheckerboard(w, 20);
  return 0;
}

// A stand-in for the shell's desktop: a top-level window of the given class with an icon
// view child, or without one.
struct DesktopHost {
  HWND host = nullptr, view = nullptr;
  DesktopHost(const wchar_t* className, bool withView, const RECT& r) {
    registerClass(className, patternProc);
    registerClass(L"SHELLDLL_DefView", DefWindowProcW);
    host = CreateWindowExW(0, className, L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (withView)
      view = CreateWindowExW(0, L"SHELLDLL_DefView", L"", WS_CHILD, 0, 0, 1, 1, host, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  }
  ~DesktopHost() { DestroyWindow(host); }
};

class MainWindowLook : public ::testing::Test {
 protected:
  void SetUp() override {
    useFreshSettingsFile();
    textColour = RGB(0, 0, 0);
    backgroundColour = RGB(255, 255, 255);
    transparentKeyColor = kKey;
    backgroundBrush = CreateSolidBrush(backgroundColour);
    keyColorBrush = CreateSolidBrush(transparentKeyColor);
    UNTOUCHABLE = 0;
    Z_ORDER = 0;
    ALWAYS_TRAY = 1;
    WIN_SAVE = 0;
    ENABLE_ALPHA = 0;
    WIN_ALPHA = 255;
    ENABLE_BG_IMG = 0;
    registerMainWindowClass(GetModuleHandleW(nullptr));
  }
  void TearDown() override {
    if (window_) DestroyWindow(window_);
    if (backgroundWindow) DestroyWindow(backgroundWindow);
    backgroundWindow = nullptr;
    pump(50);
    DeleteFileW(settingsFilePath);
  }
  HWND createMain(int x, int y, int w, int h) {
    window_ = CreateWindowExW(0, L"VELMORA", L"Velmora", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, w, h, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    mainWindow = window_;
    pump(100);
    return window_;
  }
  HWND window_ = nullptr;
};

bool layeredAttributes(HWND w, COLORREF* key, BYTE* alpha, DWORD* flags) {
  return GetLayeredWindowAttributes(w, key, alpha, flags) != FALSE;
}

TEST(ToggledForm, StylesFollowTheClickThroughModeAndTheEmbedding) {
  const DWORD framed = WS_OVERLAPPEDWINDOW, frameless = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  struct Case {
    DWORD style, ex;
    int untouchable, zOrder;
    DWORD wantEx;
    bool writesEx, clears, applies;
  } cases[] = {
      {framed, 0, 0, 0, WS_EX_LAYERED, true, false, true},
      {framed, 0, 1, 0, WS_EX_LAYERED | WS_EX_TRANSPARENT, true, false, true},
      {framed, 0, 2, 0, WS_EX_LAYERED | WS_EX_TRANSPARENT, true, false, true},
      {framed, WS_EX_LAYERED, 0, 2, WS_EX_LAYERED, false, false, true},
      {framed, WS_EX_LAYERED, 1, 2, WS_EX_LAYERED | WS_EX_TRANSPARENT, true, false, true},
      {frameless, WS_EX_LAYERED, 0, 0, 0, true, false, false},
      {frameless, WS_EX_LAYERED | WS_EX_TRANSPARENT, 1, 1, 0, true, false, false},
      {frameless, WS_EX_LAYERED, 0, 2, WS_EX_LAYERED, false, true, false},
      {frameless, WS_EX_LAYERED | WS_EX_TRANSPARENT, 2, 2, WS_EX_LAYERED, true, true, false},
      // A sizing border alone counts as a frame.
      {frameless | WS_THICKFRAME, WS_EX_TOOLWINDOW, 0, 0, WS_EX_TOOLWINDOW | WS_EX_LAYERED, true, false, true},
  };
  for (const Case& c : cases) {
    WindowForm f = toggledForm(c.style, c.ex, c.untouchable, c.zOrder);
    SCOPED_TRACE(testing::Message() << "style " << std::hex << c.style << " ex " << c.ex << " U" << c.untouchable
                                    << " Z" << c.zOrder);
    bool wasFramed = (c.style & (WS_CAPTION | WS_THICKFRAME)) != 0;
    EXPECT_EQ((f.style & (WS_CAPTION | WS_THICKFRAME)) != 0, !wasFramed);
    EXPECT_EQ(f.style & ~(WS_CAPTION | WS_THICKFRAME), c.style & ~(WS_CAPTION | WS_THICKFRAME));
    EXPECT_EQ(f.exStyle, c.wantEx);
    EXPECT_EQ(f.writeExStyle, c.writesEx);
    EXPECT_EQ(f.clearAttributes, c.clears);
    EXPECT_EQ(f.applyAttributes, c.applies);
  }
}

// Wine has no Japanese input method; what it would take Space from is the input context.
TEST_F(MainWindowLook, TheWindowHasNoInputContextSoAnInputMethodLeavesSpaceAlone) {
  EXPECT_EQ(ImmGetContext(createMain(50, 50, 300, 200)), nullptr);
}

TEST_F(MainWindowLook, FramelessFormIsLayeredWithKeyAndAlphaAndFramedFormIsNot) {
  ENABLE_ALPHA = 1;
  WIN_ALPHA = 128;
  HWND w = createMain(50, 50, 300, 200);
  RECT before;
  GetWindowRect(w, &before);
  toggleWindowForm(w);
  EXPECT_FALSE(isFramed(w));
  EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED);
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(layeredAttributes(w, &key, &alpha, &flags));
  EXPECT_EQ(key, kKey);
  EXPECT_EQ(alpha, 128);
  EXPECT_EQ(flags, DWORD(LWA_COLORKEY | LWA_ALPHA));
  RECT after;
  GetWindowRect(w, &after);
  EXPECT_TRUE(EqualRect(&before, &after)) << "the window rectangle stays";

  toggleWindowForm(w);
  EXPECT_TRUE(isFramed(w));
  EXPECT_FALSE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED);

  ENABLE_ALPHA = 0;
  toggleWindowForm(w);
  ASSERT_TRUE(layeredAttributes(w, &key, &alpha, &flags));
  EXPECT_EQ(flags, DWORD(LWA_COLORKEY));
}

TEST_F(MainWindowLook, EmbeddingFindsTheShellHostAndLeavingComesBack) {
  struct Case {
    const wchar_t* hostClass;
    bool withView;
    bool isHost;  // otherwise the window goes to the desktop window
  } cases[] = {{L"Progman", true, true}, {L"WorkerW", true, true}, {L"Progman", false, false}};
  HWND w = createMain(60, 60, 300, 200);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (const char*)(c.withView ? "with view " : "without view ") << (c.hostClass[0] == L'P' ? "Progman" : "WorkerW"));
    DesktopHost desk(c.hostClass, c.withView, RECT{0, 0, 700, 500});
    HWND expected = c.isHost ? desk.host : GetDesktopWindow();
    for (int round = 0; round < 2; ++round) {  // choosing it twice embeds again and rewrites the key
      WritePrivateProfileStringW(L"OPTION_SETTING", L"Z_ORDER", nullptr, settingsFilePath);
      setZOrder(w, 13);
      EXPECT_EQ(GetAncestor(w, GA_PARENT), expected);
      EXPECT_EQ(Z_ORDER, 2);
      EXPECT_EQ(GetPrivateProfileIntW(L"OPTION_SETTING", L"Z_ORDER", -1, settingsFilePath), 2u);
      EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED) << "framed and embedded: layered, opaque";
      EXPECT_FALSE(GetWindowLongW(w, GWL_STYLE) & WS_CHILD);
      EXPECT_FALSE(IsIconic(w));
    }
    setZOrder(w, 11);
    EXPECT_EQ(GetAncestor(w, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(Z_ORDER, 0);
    EXPECT_EQ(GetPrivateProfileIntW(L"OPTION_SETTING", L"Z_ORDER", -1, settingsFilePath), 0u);
    EXPECT_FALSE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED);
  }
  setZOrder(w, 12);
  EXPECT_EQ(Z_ORDER, 1);
  EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
  setZOrder(w, 11);
  EXPECT_FALSE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(MainWindowLook, FramelessWindowKeepsKeyWhileEmbeddedAndAfterLeaving) {
  HWND w = createMain(60, 60, 300, 200);
  toggleWindowForm(w);
  DesktopHost desk(L"Progman", true, RECT{0, 0, 700, 500});
  setZOrder(w, 13);
  ASSERT_EQ(GetAncestor(w, GA_PARENT), desk.host);
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(layeredAttributes(w, &key, &alpha, &flags));
  EXPECT_EQ(flags, DWORD(LWA_COLORKEY));
  EXPECT_EQ(key, kKey);

  // Framed while embedded: layered with neither key nor alpha; back again: the key returns.
  toggleWindowForm(w);
  EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED);
  ASSERT_TRUE(layeredAttributes(w, &key, &alpha, &flags));
  EXPECT_EQ(flags, 0u);
  toggleWindowForm(w);
  ASSERT_TRUE(layeredAttributes(w, &key, &alpha, &flags));
  EXPECT_EQ(flags, DWORD(LWA_COLORKEY));

  setZOrder(w, 11);
  EXPECT_EQ(GetAncestor(w, GA_PARENT), GetDesktopWindow());
  EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED);
  ASSERT_TRUE(layeredAttributes(w, &key, &alpha, &flags));
  EXPECT_EQ(flags, DWORD(LWA_COLORKEY));
}

TEST_F(MainWindowLook, EmbeddedReadOutIsPaintedOverTheHost) {
  DesktopHost desk(L"Progman", true, RECT{0, 0, 700, 500});
  HWND w = createMain(100, 100, 360, 200);
  setZOrder(w, 13);
  ASSERT_EQ(GetAncestor(w, GA_PARENT), desk.host);
  pump(300);
  RECT client;
  GetClientRect(w, &client);
  MapWindowPoints(w, nullptr, (POINT*)&client, 2);
  Pixels framed = captureScreen(client);
  EXPECT_GT(countColour(framed, 0xFFFFFF), framed.data.size() / 3) << "background colour";
  EXPECT_GT(countColour(framed, 0x000000), 100u) << "digits";

  toggleWindowForm(w);
  pump(300);
  RECT outer;
  GetWindowRect(w, &outer);
  Pixels frameless = captureScreen(outer);
  // Wine applies no colour key to a layered window that has a parent, so the key colour
  // itself is what shows here; Windows lets the host show through it.
  EXPECT_GT(countColour(frameless, 0x6F6F6F) + countColour(frameless, kRed) + countColour(frameless, kBlue),
            frameless.data.size() / 2)
      << "key-coloured background";
  EXPECT_EQ(countColour(frameless, 0xFFFFFF), 0u) << "no background colour in the frameless form";
  EXPECT_GT(countColour(frameless, 0x000000), 100u) << "digits";
}

// Receives what the background window hands on.
std::vector<UINT> forwarded;
std::vector<LPARAM> forwardedAt;
LRESULT CALLBACK recordingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m >= WM_LBUTTONDOWN && m <= WM_MBUTTONDBLCLK) {
    forwarded.push_back(m);
    forwardedAt.push_back(lp);
    return 0;
  }
  return DefWindowProcW(w, m, wp, lp);
}

TEST_F(MainWindowLook, BackgroundWindowLiesUnderTheOwnerAndHandsOnTheClicksThatMatter) {
  registerClass(L"VelmoraTestOwner", recordingProc);
  HWND owner = CreateWindowExW(0, L"VelmoraTestOwner", L"owner", WS_POPUP | WS_VISIBLE, 120, 130, 240, 160, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND bg = createBackgroundWindow(owner);
  ASSERT_NE(bg, nullptr);
  EXPECT_EQ(bg, backgroundWindow);
  wchar_t name[32];
  GetClassNameW(bg, name, 32);
  EXPECT_STREQ(name, L"VELMORA_BG");
  GetWindowTextW(bg, name, 32);
  EXPECT_STREQ(name, L"Velmora BG");
  EXPECT_EQ(GetWindowLongW(bg, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TOOLWINDOW), DWORD(WS_EX_LAYERED | WS_EX_TOOLWINDOW));
  EXPECT_TRUE(IsWindowVisible(bg));
  RECT a, b;
  GetWindowRect(owner, &a);
  GetWindowRect(bg, &b);
  EXPECT_TRUE(EqualRect(&a, &b));
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(bg, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 1);
  EXPECT_EQ(flags, DWORD(LWA_ALPHA));

  const struct {
    UINT message;
    bool handedOn;
  } cases[] = {{WM_RBUTTONUP, true},     {WM_LBUTTONDBLCLK, true}, {WM_MBUTTONUP, true}, {WM_MBUTTONDBLCLK, true},
               {WM_LBUTTONUP, false},    {WM_RBUTTONDBLCLK, false}, {WM_LBUTTONDOWN, false}, {WM_RBUTTONDOWN, false}};
  for (const auto& c : cases) {
    forwarded.clear();
    forwardedAt.clear();
    SendMessageW(bg, c.message, 0, MAKELPARAM(17, 23));
    pump(30);
    if (c.handedOn) {
      ASSERT_EQ(forwarded.size(), 1u) << std::hex << c.message;
      EXPECT_EQ(forwarded[0], c.message);
      EXPECT_EQ(forwardedAt[0], MAKELPARAM(17, 23));
    } else {
      EXPECT_TRUE(forwarded.empty()) << std::hex << c.message;
    }
  }

  // The mouse over it makes it opaque, so the background colour marks the window's extent.
  SendMessageW(bg, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(GetLayeredWindowAttributes(bg, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 255);

  // A new background colour reaches the window's class at once ...
  HBRUSH old = backgroundBrush;
  backgroundBrush = CreateSolidBrush(RGB(1, 2, 3));
  refreshBackgroundWindowBrush();
  EXPECT_EQ((HBRUSH)GetClassLongPtrW(bg, GCLP_HBRBACKGROUND), backgroundBrush);
  DeleteObject(old);
  // ... and, with no window, the next one.
  DestroyWindow(bg);
  backgroundWindow = nullptr;
  old = backgroundBrush;
  backgroundBrush = CreateSolidBrush(RGB(4, 5, 6));
  refreshBackgroundWindowBrush();
  DeleteObject(old);
  WNDCLASSEXW wc{sizeof wc};
  ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), L"VELMORA_BG", &wc));
  EXPECT_EQ(wc.hbrBackground, backgroundBrush);

  // While a closed background window lingers the class cannot be registered anew; the next
  // window still takes the current brush.
  HWND lingering = createBackgroundWindow(owner);
  backgroundWindow = nullptr;
  old = backgroundBrush;
  backgroundBrush = CreateSolidBrush(RGB(7, 8, 9));
  refreshBackgroundWindowBrush();
  HWND next = createBackgroundWindow(owner);
  EXPECT_EQ((HBRUSH)GetClassLongPtrW(next, GCLP_HBRBACKGROUND), backgroundBrush);
  DestroyWindow(lingering);
  DestroyWindow(next);
  backgroundWindow = nullptr;
  DeleteObject(old);
  DestroyWindow(owner);
}

TEST_F(MainWindowLook, EmbeddingTakesTheBackgroundWindowAlong) {
  DesktopHost desk(L"WorkerW", true, RECT{0, 0, 700, 500});
  HWND w = createMain(80, 80, 300, 200);
  HWND bg = backgroundWindow ? backgroundWindow : createBackgroundWindow(w);
  ASSERT_NE(bg, nullptr);
  setZOrder(w, 13);
  EXPECT_EQ(GetAncestor(bg, GA_PARENT), desk.host);
  setZOrder(w, 12);
  EXPECT_EQ(GetAncestor(bg, GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(GetAncestor(w, GA_PARENT), GetDesktopWindow());
}

}  // namespace

namespace {

std::vector<DWORD> trayCalls;
BOOL WINAPI recordTrayCall(DWORD message, PNOTIFYICONDATAW) {
  trayCalls.push_back(message);
  return TRUE;
}

TEST_F(MainWindowLook, EveryZOrderChangeRemovesTheTrayIconUnlessItIsAlwaysShown) {
  HWND w = createMain(60, 60, 300, 200);
  auto* saved = shellNotifyIcon;
  shellNotifyIcon = recordTrayCall;
  struct Case {
    int command;
    int alwaysTray;
    bool removes;
  } cases[] = {{11, 0, true}, {12, 0, true}, {13, 0, true}, {11, 0, true},
               {11, 1, false}, {13, 1, false}, {12, 1, false}};
  for (const Case& c : cases) {
    ALWAYS_TRAY = c.alwaysTray;
    trayCalls.clear();
    setZOrder(w, c.command);
    bool removed = false;
    for (DWORD m : trayCalls) removed |= m == NIM_DELETE;
    EXPECT_EQ(removed, c.removes) << "command " << c.command << " always " << c.alwaysTray;
  }
  shellNotifyIcon = saved;
}

}  // namespace

namespace {

// The shell goes while the window embeds, here when the window adds its tray icon (at logon the
// shell often starts over), and a time-up comes in the moment after.
HWND goingShell = nullptr, takenWindow = nullptr;
std::atomic<HWND> timeUpWindow{nullptr};
std::thread timeUp;
BOOL WINAPI shellGoingAtTheFirstAdd(DWORD message, PNOTIFYICONDATAW data) {
  if (message == NIM_ADD && goingShell) {
    takenWindow = data->hWnd;
    DestroyWindow(std::exchange(goingShell, nullptr));
    timeUp = std::thread([] { timeUpWindow = followMainWindow(takenWindow); });
  }
  return TRUE;
}

TEST_F(MainWindowLook, AShellThatGoesWhileTheWindowEmbedsLeavesTheProgramInANewWindow) {
  DesktopHost desk(L"Progman", true, RECT{0, 0, 700, 500});
  goingShell = desk.host;
  shellNotifyIcon = shellGoingAtTheFirstAdd;
  Z_ORDER = 2;
  EXIT_CHECK = 0;
  HWND w = openMainWindow(GetModuleHandleW(nullptr), SW_SHOW);
  shellNotifyIcon = Shell_NotifyIconW;
  ASSERT_NE(takenWindow, nullptr) << "the shell went while the window embedded";
  timeUp.join();
  bool quit = false;
  MSG m;
  for (DWORD start = GetTickCount(); GetTickCount() - start < 300; Sleep(10))
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
      if (m.message == WM_QUIT)
        quit = true;
      else
        DispatchMessageW(&m);
  EXPECT_FALSE(quit) << "the program went on";
  EXPECT_TRUE(IsWindow(w));
  EXPECT_NE(w, takenWindow);
  EXPECT_EQ(w, mainWindow.load());
  EXPECT_EQ(timeUpWindow.load(), w) << "the time-up's sound and box go to the new window";
  SendMessageW(w, WM_CLOSE, 0, 0);
  pump(50);
  desk.host = nullptr;
}

}  // namespace
