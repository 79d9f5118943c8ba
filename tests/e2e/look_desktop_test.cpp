// Desktop embedding across processes: the test provides the shell's desktop windows that
// Wine lacks ("Progman" or "WorkerW" with a "SHELLDLL_DefView" child), the program finds
// them from its own process. (Embedded pixels are not shown across processes under Wine;
// the unit tests look at them in one process.)
#include <gtest/gtest.h>

#include "look_support.h"
#include "velmora_harness.h"

using e2e::VelmoraProcess;
using namespace look;

namespace {

HWND parentOf(HWND w) { return GetAncestor(w, GA_PARENT); }

TEST(LookDesktop, F11EmbedsInTheShellHostAndF9BringsTheWindowBack) {
  for (const wchar_t* hostClass : {L"Progman", L"WorkerW"}) {
    SCOPED_TRACE(hostClass[0] == L'P' ? "Progman" : "WorkerW");
    DesktopHost host(hostClass, RECT{0, 0, 800, 600});
    VelmoraProcess app;
    ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nALWAYS_TRAY=0\r\n"));
    ASSERT_TRUE(app.start()) << app.lastError();
    HWND w = app.window();

    ASSERT_TRUE(app.key(VK_F11));
    EXPECT_TRUE(e2e::waitFor([&] { return parentOf(w) == host.hwnd(); }, 3000));
    EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"Z_ORDER", -1) == 2; }, 3000));
    EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED) << "framed and embedded: layered without key";

    // Chosen again: embedded again and written again.
    WritePrivateProfileStringW(L"OPTION_SETTING", L"Z_ORDER", L"7", app.settingsPath().c_str());
    ASSERT_TRUE(app.command(13));
    EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"Z_ORDER", -1) == 2; }, 3000));
    EXPECT_EQ(parentOf(w), host.hwnd());

    ASSERT_TRUE(app.key(VK_F9));
    EXPECT_TRUE(e2e::waitFor([&] { return parentOf(w) == GetDesktopWindow(); }, 3000));
    EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"Z_ORDER", -1) == 0; }, 3000));
    EXPECT_FALSE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(IsWindowVisible(w));
    ASSERT_TRUE(app.close()) << app.lastError();
  }
}

TEST(LookDesktop, TheBackgroundWindowGoesAlongIntoTheHostAndBack) {
  DesktopHost host(L"Progman", RECT{0, 0, 800, 600});
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nUNTOUCHABLE=2\r\nALWAYS_TRAY=1\r\n"
                                L"WIN_SAVE=1\r\n[WINDOW]\r\nLEFT=50\r\nTOP=60\r\nWIDTH=300\r\nHEIGHT=200\r\nLAYERED=1\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND w = app.window();
  HWND bg = FindWindowW(L"VELMORA_BG", nullptr);
  ASSERT_NE(bg, nullptr) << "mode 2 has its background window";
  ASSERT_TRUE(app.key(VK_F11));
  EXPECT_TRUE(e2e::waitFor([&] { return parentOf(w) == host.hwnd(); }, 3000));
  EXPECT_TRUE(e2e::waitFor([&] { return parentOf(bg) == host.hwnd(); }, 3000));
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(w, &key, &alpha, &flags));
  EXPECT_EQ(flags, DWORD(LWA_COLORKEY));

  ASSERT_TRUE(app.key(VK_F10));
  EXPECT_TRUE(e2e::waitFor([&] { return parentOf(w) == GetDesktopWindow(); }, 3000));
  EXPECT_TRUE(e2e::waitFor([&] { return parentOf(bg) == GetDesktopWindow(); }, 3000));
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"Z_ORDER", -1) == 1; }, 3000));
  EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
  ASSERT_TRUE(GetLayeredWindowAttributes(w, &key, &alpha, &flags));
  EXPECT_EQ(flags, DWORD(LWA_COLORKEY)) << "frameless after leaving: the key again";
  ASSERT_TRUE(app.close()) << app.lastError();
}

TEST(LookDesktop, WithoutAHostTheWindowBecomesAChildOfTheDesktopWindow) {
  VelmoraProcess app;
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND w = app.window();
  ASSERT_TRUE(app.key(VK_F11));
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"OPTION_SETTING", L"Z_ORDER", -1) == 2; }, 3000));
  EXPECT_EQ(parentOf(w), GetDesktopWindow());
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_FALSE(IsIconic(w));
  ASSERT_TRUE(app.close()) << app.lastError();
}

}  // namespace
