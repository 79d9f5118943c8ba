// The main window end to end: saving its place, the seconds switch, the read-out's colours
// and row form, and settings files that cannot be written or read.
#include <gtest/gtest.h>

#include <functional>

#include "velmora_harness.h"

using e2e::Capture;
using e2e::VelmoraProcess;

namespace {

const wchar_t kWriteFailure[] = L"設定ファイルの書き込みに失敗しました";

RECT outerRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

// Ink of the text colour on the horizontal line at y.
size_t inkOnRow(const Capture& shot, int y, uint32_t ink) {
  size_t n = 0;
  for (int x = 0; x < shot.width; ++x) n += shot.at(x, y) == ink;
  return n;
}

Capture waitForPaint(VelmoraProcess& app, uint32_t background, uint32_t ink) {
  Capture shot;
  e2e::waitFor([&] {
    shot = app.capture();
    return !shot.empty() && shot.count(background) > 0 && shot.count(ink) > 0;
  }, 5000, 100);
  return shot;
}

TEST(MainWindow, F2FlipsShowSecondsInTheFile) {
  VelmoraProcess app;
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.key(VK_F2));
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"SHOW_SEC", -1) == 0; }, 3000));
  ASSERT_TRUE(app.command(33));
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"SHOW_SEC", -1) == 1; }, 3000));
  EXPECT_TRUE(app.close());
}

TEST(MainWindow, SavedRectangleIsRestoredAndMovesAreSaved) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(L"[WINDOW]\r\nLEFT=100\r\nTOP=120\r\nWIDTH=420\r\nHEIGHT=260\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  RECT r = outerRect(app.window());
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 120);
  EXPECT_EQ(r.right - r.left, 420);
  EXPECT_EQ(r.bottom - r.top, 260);

  SetWindowPos(app.window(), nullptr, 150, 90, 500, 300, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(e2e::waitFor([&] {
    return app.iniInt(L"WINDOW", L"LEFT") == 150 && app.iniInt(L"WINDOW", L"TOP") == 90 &&
           app.iniInt(L"WINDOW", L"WIDTH") == 500 && app.iniInt(L"WINDOW", L"HEIGHT") == 300;
  }, 3000)) << app.settingsText();
  ASSERT_TRUE(app.close());
  EXPECT_EQ(app.iniInt(L"WINDOW", L"LAYERED", -1), 0);
  EXPECT_EQ(app.iniInt(L"WINDOW", L"ICONIC", -1), 0);
  EXPECT_EQ(app.iniInt(L"WINDOW", L"ZOOMED", -1), 0);
}

TEST(MainWindow, SavedPlaceOffEveryMonitorOpensOnTheNearestWorkArea) {
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  struct Case {
    const wchar_t* window;
    LONG left, top;  // where it must open
  } cases[] = {
      // below and to the right of the 1024 x 768 desktop: into its bottom right corner
      {L"LEFT=3024\r\nTOP=2268\r\n", work.right - 300, work.bottom - 200},
      // far to the left: against the left edge, at the same height
      {L"LEFT=-1700\r\nTOP=100\r\n", work.left, 100},
  };
  for (const auto& c : cases) {
    VelmoraProcess app;
    ASSERT_TRUE(app.writeSettings(std::wstring(L"[WINDOW]\r\n") + c.window + L"WIDTH=300\r\nHEIGHT=200\r\n"));
    ASSERT_TRUE(app.start()) << app.lastError();
    RECT r = outerRect(app.window());
    EXPECT_EQ(r.left, c.left) << testing::PrintToString(c.window);
    EXPECT_EQ(r.top, c.top) << testing::PrintToString(c.window);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 200);
    EXPECT_TRUE(app.close());
  }
}

TEST(MainWindow, WithoutWindowSavingNothingIsWrittenToTheWindowSection) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nWIN_SAVE=0\r\n[WINDOW]\r\nLEFT=300\r\nTOP=300\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  EXPECT_NE(outerRect(app.window()).left, 300);  // the system's default place
  SetWindowPos(app.window(), nullptr, 40, 50, 350, 250, SWP_NOZORDER | SWP_NOACTIVATE);
  Sleep(300);
  ASSERT_TRUE(app.close());
  EXPECT_EQ(app.iniString(L"WINDOW", L"LEFT"), L"300");
  EXPECT_FALSE(app.iniHasKey(L"WINDOW", L"WIDTH"));
  EXPECT_FALSE(app.iniHasKey(L"WINDOW", L"ICONIC"));
}

TEST(MainWindow, AnsweringNoToTheExitQuestionSavesNothing) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nEXIT_CHECK=1\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.post(WM_CLOSE));
  HWND box = app.waitForMessageBox(L"終了しますがいいですか？");
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(VelmoraProcess::pressButton(box, IDNO));
  EXPECT_TRUE(VelmoraProcess::waitForGone(box));
  EXPECT_TRUE(app.running());
  EXPECT_FALSE(app.iniHasKey(L"WINDOW", L"ICONIC"));
  EXPECT_FALSE(app.iniHasKey(L"WINDOW", L"LAYERED"));
  app.killHard();
}

TEST(MainWindow, ReadOutUsesTheChosenColoursAndSwitchesRowsWithTheShape) {
  VelmoraProcess app;
  // Red digits on blue; the idle read-out (layout E) switches at 2 : 1.
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nTXT_COLOR_R=255\r\nTXT_COLOR_G=0\r\nTXT_COLOR_B=0\r\n"
                                L"BG_COLOR_R=0\r\nBG_COLOR_G=0\r\nBG_COLOR_B=255\r\n"
                                L"[WINDOW]\r\nLEFT=20\r\nTOP=20\r\nWIDTH=300\r\nHEIGHT=200\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  const uint32_t red = Capture::rgb(255, 0, 0), blue = Capture::rgb(0, 0, 255);

  Capture tall = waitForPaint(app, blue, red);
  ASSERT_FALSE(tall.empty());
  EXPECT_EQ(tall.count(red) + tall.count(blue), tall.pixels.size()) << "only the two colours";
  // Two rows: the middle line of the client area runs between the rows.
  EXPECT_EQ(inkOnRow(tall, tall.height / 2, red), 0u);
  EXPECT_GT(inkOnRow(tall, tall.height / 4, red), 0u);
  EXPECT_GT(inkOnRow(tall, tall.height * 3 / 4, red), 0u);

  // Wider than 2 : 1: one row of full-height digits crosses the middle line.
  SetWindowPos(app.window(), nullptr, 0, 0, 700, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Capture wide;
  ASSERT_TRUE(e2e::waitFor([&] {
    wide = app.capture();
    return wide.width > 600 && inkOnRow(wide, wide.height / 2, red) > 0;
  }, 3000)) << "no ink across the middle after widening";
  EXPECT_TRUE(app.close());
}

TEST(MainWindow, UnwritableSettingsFileReportsTheFailureAndKeepsRunning) {
  VelmoraProcess app;
  // A folder in the settings file's place: every write fails, every read gives defaults.
  ASSERT_TRUE(CreateDirectoryW(app.settingsPath().c_str(), nullptr));
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.key(VK_F2));
  HWND box = app.waitForMessageBox(kWriteFailure);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(VelmoraProcess::caption(box), L"Velmora");
  EXPECT_TRUE(VelmoraProcess::pressButton(box, IDOK));
  EXPECT_TRUE(VelmoraProcess::waitForGone(box));
  EXPECT_TRUE(app.running());
  EXPECT_TRUE(app.close());
  RemoveDirectoryW(app.settingsPath().c_str());
}

TEST(MainWindow, GarbageSettingsFileStartsWithDefaults) {
  VelmoraProcess app;
  const char garbage[] = "\x01\x02garbage\n[WINDOW\nWIDTH=99999999999\n[OPTION_SETTING]\nZ_ORDER=7\n"
                         "WIN_ALPHA=-1\nUNTOUCHABLE=abc\n";
  ASSERT_TRUE(app.writeFile(VelmoraProcess::settingsFileName(), std::string(garbage, sizeof garbage - 1)));
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND window = app.window();
  EXPECT_TRUE(e2e::waitFor([&] { return IsWindowVisible(window) != FALSE; }, 3000));
  // Z_ORDER 7 and UNTOUCHABLE abc read as 0, and no saved form: a framed, opaque, ordinary
  // window that takes clicks, at the default place and size.
  const LONG style = GetWindowLongW(window, GWL_STYLE), exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  EXPECT_NE(style & WS_CAPTION, 0);
  EXPECT_EQ(exStyle & (WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST), 0);
  EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow()) << "embedded in the desktop";
  RECT r = outerRect(window);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.bottom - r.top, 200);
  EXPECT_EQ(app.title(), L"Velmora");
  // SHOW_SEC is on by default: F2 turns it off.
  ASSERT_TRUE(app.key(VK_F2));
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"SHOW_SEC", -1) == 0; }, 3000));
  EXPECT_TRUE(app.close());
  EXPECT_EQ(app.exitCode(), 0u);
}

}  // namespace

namespace {

struct TopLevelSearch {
  const wchar_t* title;
  HWND found;
};

BOOL CALLBACK findTitleContaining(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<TopLevelSearch*>(lParam);
  if (IsWindowVisible(hwnd) && e2e::windowText(hwnd).find(search->title) != std::wstring::npos) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK listVisibleTitles(HWND hwnd, LPARAM lParam) {
  if (IsWindowVisible(hwnd)) *reinterpret_cast<std::wstring*>(lParam) += e2e::windowText(hwnd) + L" | ";
  return TRUE;
}

TEST(MainWindow, F1OpensTheReadmeBesideTheProgram) {
  // This Wine prefix knows the text editor ("txtfile") but not that .txt files are text:
  // give it the association a Windows machine has.
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L".txt", 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, &key, nullptr), ERROR_SUCCESS);
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"txtfile"), 16);
  RegCloseKey(key);

  VelmoraProcess app;
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.key(VK_F1));
  // The shell opens the file with its text editor, whose title names the file.
  TopLevelSearch search{L"Readme", nullptr};
  bool opened = e2e::waitFor([&] {
    search.found = nullptr;
    EnumWindows(findTitleContaining, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
  }, 15000, 100);
  std::wstring titles;
  EnumWindows(listVisibleTitles, reinterpret_cast<LPARAM>(&titles));
  EXPECT_TRUE(opened) << "no window showing Readme.txt: " << testing::PrintToString(titles);
  if (search.found) {
    DWORD editor = 0;
    GetWindowThreadProcessId(search.found, &editor);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, editor);
    if (process) {
      TerminateProcess(process, 0);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  }
  EXPECT_TRUE(app.close());
}

}  // namespace

namespace {

// The saved window state and the stacking, click-through and taskbar settings as they come back
// at start-up.
TEST(MainWindow, StartUpRestoresTheSavedStateAndModes) {
  struct Case {
    const char* what;
    const wchar_t* options;  // OPTION_SETTING lines
    const wchar_t* window;   // WINDOW lines
    std::function<void(VelmoraProcess&, HWND)> check;
  } cases[] = {
      {"maximised", L"", L"ZOOMED=1\r\n", [](VelmoraProcess&, HWND w) { EXPECT_TRUE(IsZoomed(w)); }},
      {"minimised", L"", L"ICONIC=1\r\n", [](VelmoraProcess&, HWND w) { EXPECT_TRUE(IsIconic(w)); }},
      {"click-through mode 2, frameless", L"UNTOUCHABLE=2\r\n", L"LAYERED=1\r\n",
       [](VelmoraProcess& app, HWND w) {
         EXPECT_NE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);
         EXPECT_EQ(GetWindowLongW(w, GWL_STYLE) & WS_MAXIMIZEBOX, 0);
         EXPECT_TRUE(e2e::waitFor([&] { return app.windows(L"VELMORA_BG").size() == 1; }, 3000))
             << "no background window to take the clicks";
       }},
      {"always on top", L"Z_ORDER=1\r\n", L"",
       [](VelmoraProcess&, HWND w) { EXPECT_NE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST, 0); }},
      {"embedded in the desktop", L"Z_ORDER=2\r\n", L"",
       [](VelmoraProcess&, HWND w) {
         // Framed and embedded: layered, but neither see-through nor topmost.
         const LONG ex = GetWindowLongW(w, GWL_EXSTYLE);
         EXPECT_NE(ex & WS_EX_LAYERED, 0);
         EXPECT_EQ(ex & WS_EX_TOPMOST, 0);
         DWORD flags = ~0u;
         COLORREF key = 0;
         BYTE alpha = 0;
         GetLayeredWindowAttributes(w, &key, &alpha, &flags);
         EXPECT_EQ(flags & (LWA_COLORKEY | LWA_ALPHA), 0u);
         EXPECT_TRUE(IsWindowVisible(w));
       }},
      {"no taskbar button beside the tray icon", L"HIDE_TASKBAR=1\r\nALWAYS_TRAY=1\r\n", L"",
       [](VelmoraProcess&, HWND w) { EXPECT_NE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0); }},
      {"taskbar button without a tray option", L"HIDE_TASKBAR=1\r\nALWAYS_TRAY=0\r\nIN_TRAY=0\r\n", L"",
       [](VelmoraProcess&, HWND w) { EXPECT_EQ(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VelmoraProcess app;
    ASSERT_TRUE(app.writeSettings(std::wstring(L"[OPTION_SETTING]\r\nEXIT_CHECK=0\r\n") + c.options +
                                  L"[WINDOW]\r\nLEFT=60\r\nTOP=60\r\nWIDTH=320\r\nHEIGHT=200\r\n" + c.window));
    ASSERT_TRUE(app.start()) << app.lastError();
    c.check(app, app.window());
    app.killHard();
  }
}

}  // namespace
