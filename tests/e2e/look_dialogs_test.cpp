// The look dialogs and choosers through the real program: what each shows (pictures are
// left beside the test exe), that cancelling writes nothing, and that OK writes the keys
// and changes the window at once.
#include <gtest/gtest.h>

#include "look_support.h"
#include "velmora_harness.h"

using e2e::VelmoraProcess;
using namespace look;

namespace {

RECT rectOf(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

void setControlText(HWND dialog, int id, const wchar_t* text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, (LPARAM)text);
}

// The first visible dialog of the program other than the ones given.
HWND waitForAnyDialog(const VelmoraProcess& app, HWND except = nullptr) {
  HWND found = nullptr;
  e2e::waitFor([&] {
    for (HWND d : app.dialogs())
      if (d != except && IsWindowVisible(d)) return (found = d) != nullptr;
    return false;
  }, 5000);
  return found;
}

void picture(HWND dialog, const wchar_t* name) {
  Sleep(300);  // let it finish painting
  savePicture(screenshot(rectOf(dialog)), name);
}

// The dialog once its WM_INITDIALOG is over (it is shown only afterwards).
HWND waitForReadyDialog(const VelmoraProcess& app, const wchar_t* caption) {
  HWND d = app.waitForDialog(caption);
  if (d) e2e::waitFor([&] { return IsWindowVisible(d) != FALSE; }, 5000);
  return d;
}

// The common chooser that the command opens, or null when none came.
HWND openChooser(const VelmoraProcess& app, WORD command) {
  return app.command(command) ? waitForAnyDialog(app) : nullptr;
}

// Cancel pressed, the dialog gone, and time for the program to write what it would.
bool cancelled(HWND dialog) {
  VelmoraProcess::pressButton(dialog, IDCANCEL);
  if (!VelmoraProcess::waitForGone(dialog)) return false;
  Sleep(200);
  return true;
}

bool hasKey(const VelmoraProcess& app, const wchar_t* key) { return app.iniHasKey(L"OPTION_SETTING", key); }

TEST(LookDialogs, TransparencyDialogCancelWritesNothingAndOkWritesAllSix) {
  VelmoraProcess app;
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.command(30));
  HWND d = waitForReadyDialog(app, L"透過設定");
  ASSERT_NE(d, nullptr);
  picture(d, L"look-dialog-206.bmp");
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 1024)));
  setControlText(d, 1024, L"12");
  ASSERT_TRUE(cancelled(d));
  for (const wchar_t* key : {L"ENABLE_ALPHA", L"WIN_ALPHA", L"BG_IMG_TOUKA", L"BG_IMG_TOUKA_R"})
    EXPECT_FALSE(hasKey(app, key)) << "cancel wrote " << std::string(key, key + wcslen(key));

  ASSERT_TRUE(app.command(30));
  d = waitForReadyDialog(app, L"透過設定");
  ASSERT_NE(d, nullptr);
  SendMessageW(GetDlgItem(d, 1023), BM_CLICK, 0, 0);
  setControlText(d, 1024, L"999");
  SendMessageW(GetDlgItem(d, 1026), BM_CLICK, 0, 0);
  setControlText(d, 1029, L"300");
  VelmoraProcess::pressButton(d, IDOK);
  ASSERT_TRUE(VelmoraProcess::waitForGone(d));
  ASSERT_TRUE(e2e::waitFor([&] { return hasKey(app, L"BG_IMG_TOUKA_B"); }, 3000)) << app.settingsText().size();
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"ENABLE_ALPHA"), 1);
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"WIN_ALPHA"), 255) << "typed 999";
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"BG_IMG_TOUKA"), 1);
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"BG_IMG_TOUKA_R"), 0);
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"BG_IMG_TOUKA_G"), 255) << "typed 300";
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"BG_IMG_TOUKA_B"), 0);
  EXPECT_FALSE(GetWindowLongW(app.window(), GWL_EXSTYLE) & WS_EX_LAYERED) << "framed window left alone";
  ASSERT_TRUE(app.close());
}

TEST(LookDialogs, AspectDialogOkWritesTheFourKeysAndCancelNothing) {
  VelmoraProcess app;
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.command(31));
  HWND d = waitForReadyDialog(app, L"時間描画切替縦横比設定");
  ASSERT_NE(d, nullptr);
  picture(d, L"look-dialog-207.bmp");
  setControlText(d, 1033, L"7");
  ASSERT_TRUE(cancelled(d));
  EXPECT_FALSE(hasKey(app, L"DHMS_ASPECT_W"));

  ASSERT_TRUE(app.command(31));
  d = waitForReadyDialog(app, L"時間描画切替縦横比設定");
  ASSERT_NE(d, nullptr);
  setControlText(d, 1033, L"1");
  setControlText(d, 1035, L"0");
  setControlText(d, 1037, L"65535");
  VelmoraProcess::pressButton(d, IDOK);
  ASSERT_TRUE(e2e::waitFor([&] { return hasKey(app, L"HMS_ASPECT_H"); }, 3000));
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"DHMS_ASPECT_W"), 1);
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"DHMS_ASPECT_H"), 1);
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"HMS_ASPECT_W"), 32767);
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"HMS_ASPECT_H"), 10);
  ASSERT_TRUE(app.close());
}

TEST(LookDialogs, BackgroundImageDialogBrowsesAndItsOkShowsTheImageAtOnce) {
  VelmoraProcess app;
  // A 2 x 2 image of pure green.
  std::string bmp = std::string("BM") + std::string(52, '\0');
  auto put32 = [&](size_t o, uint32_t v) { for (int i = 0; i < 4; ++i) bmp[o + i] = char(v >> (8 * i)); };
  bmp += std::string("\x00\xFF\x00\x00\xFF\x00\x00\x00\x00\xFF\x00\x00\xFF\x00\x00\x00", 16);
  put32(2, uint32_t(bmp.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, 2);
  put32(22, 2);
  bmp[26] = 1, bmp[28] = 24;
  ASSERT_TRUE(app.writeFile(L"green.bmp", bmp));
  ASSERT_TRUE(app.start()) << app.lastError();

  ASSERT_TRUE(app.command(29));
  HWND d = waitForReadyDialog(app, L"背景画像設定");
  ASSERT_NE(d, nullptr);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 1021)));
  SendMessageW(GetDlgItem(d, 1020), BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, 1022)));
  picture(d, L"look-dialog-205.bmp");

  // Browse opens the file chooser; cancelling it keeps the path.
  PostMessageW(d, WM_COMMAND, 1022, 0);
  HWND open = waitForReadyDialog(app, L"背景画像ファイル指定");
  ASSERT_NE(open, nullptr);
  picture(open, L"look-dialog-205-open.bmp");
  VelmoraProcess::pressButton(open, IDCANCEL);
  ASSERT_TRUE(VelmoraProcess::waitForGone(open));
  wchar_t path[600];
  SendMessageW(GetDlgItem(d, 1021), WM_GETTEXT, 600, (LPARAM)path);  // GetWindowTextW does not ask across processes
  EXPECT_STREQ(path, L"bg.bmp");

  setControlText(d, 1021, app.path(L"green.bmp").c_str());
  VelmoraProcess::pressButton(d, IDOK);
  ASSERT_TRUE(e2e::waitFor([&] { return hasKey(app, L"BG_IMG_FILE"); }, 3000));
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"ENABLE_BG_IMG"), 1);
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniString(L"OPTION_SETTING", L"BG_IMG_FILE") == app.path(L"green.bmp"); },
                          3000))
      << std::string(app.settingsText().begin(), app.settingsText().end());
  e2e::Capture shot;
  EXPECT_TRUE(e2e::waitFor([&] { shot = app.capture(); return shot.count(0x00FF00) > shot.pixels.size() / 2; }, 3000));

  // A path to nothing: plain background again, no message.
  ASSERT_TRUE(app.command(29));
  d = waitForReadyDialog(app, L"背景画像設定");
  ASSERT_NE(d, nullptr);
  setControlText(d, 1021, L"Z:\\no\\such\\file.bmp");
  VelmoraProcess::pressButton(d, IDOK);
  EXPECT_TRUE(e2e::waitFor([&] { shot = app.capture(); return shot.count(0xFFFFFF) > shot.pixels.size() / 2; }, 3000));
  EXPECT_TRUE(app.dialogs().empty());
  ASSERT_TRUE(app.close());
}

TEST(LookDialogs, ColourChoosersCancelWritesNothingAndTheKeyColourMovesOffTheText) {
  VelmoraProcess app;
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND d = openChooser(app, 27);
  ASSERT_NE(d, nullptr);
  picture(d, L"look-chooser-colour.bmp");
  ASSERT_TRUE(cancelled(d));
  EXPECT_FALSE(hasKey(app, L"TXT_COLOR_R"));

  // Text colour RGB(111, 111, 111), the key colour's own value.
  d = openChooser(app, 27);
  ASSERT_NE(d, nullptr);
  setControlText(d, 0x2C2, L"111");
  setControlText(d, 0x2C3, L"111");
  setControlText(d, 0x2C4, L"111");
  VelmoraProcess::pressButton(d, IDOK);
  ASSERT_TRUE(e2e::waitFor([&] { return hasKey(app, L"TXT_COLOR_B"); }, 3000));
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"TXT_COLOR_R"), 111);
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"TXT_COLOR_G"), 111);
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"TXT_COLOR_B"), 111);
  ASSERT_TRUE(app.key(VK_F3));
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(e2e::waitFor([&] { return GetLayeredWindowAttributes(app.window(), &key, &alpha, &flags) != FALSE; }, 3000));
  EXPECT_EQ(key, RGB(110, 110, 110));
  ASSERT_TRUE(app.key(VK_F3));

  // Background colour: blue, at once.
  d = openChooser(app, 28);
  ASSERT_NE(d, nullptr);
  setControlText(d, 0x2C2, L"0");
  setControlText(d, 0x2C3, L"0");
  setControlText(d, 0x2C4, L"255");
  VelmoraProcess::pressButton(d, IDOK);
  ASSERT_TRUE(e2e::waitFor([&] { return hasKey(app, L"BG_COLOR_B"); }, 3000));
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"BG_COLOR_R"), 0);
  EXPECT_EQ(app.iniInt(L"OPTION_SETTING", L"BG_COLOR_B"), 255);
  e2e::Capture shot;
  EXPECT_TRUE(e2e::waitFor([&] { shot = app.capture(); return shot.count(0x0000FF) > shot.pixels.size() / 2; }, 3000));
  ASSERT_TRUE(app.close());
}

TEST(LookDialogs, FontChooserCancelWritesNothingAndOkWritesFaceWeightItalic) {
  VelmoraProcess app;
  ASSERT_TRUE(app.start()) << app.lastError();
  HWND d = openChooser(app, 26);
  ASSERT_NE(d, nullptr);
  picture(d, L"look-chooser-font.bmp");
  ASSERT_TRUE(cancelled(d));
  EXPECT_FALSE(hasKey(app, L"FONT_NAME"));

  d = openChooser(app, 26);
  ASSERT_NE(d, nullptr);
  VelmoraProcess::pressButton(d, IDOK);
  ASSERT_TRUE(e2e::waitFor([&] { return hasKey(app, L"FONT_ITALIC"); }, 3000));
  EXPECT_FALSE(app.iniString(L"OPTION_SETTING", L"FONT_NAME").empty());
  EXPECT_TRUE(hasKey(app, L"FONT_WEIGHT"));
  ASSERT_TRUE(app.close());
}

}  // namespace
