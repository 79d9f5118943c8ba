// Text and background colours and the font: the key colour moving off the text colour,
// brushes replaced and freed, keys written, and a failed write reported once.
#include <gtest/gtest.h>

#include <atomic>

#include "common/settings.h"
#include "display/background_image.h"
#include "display/colours_and_font.h"
#include "display/transparency.h"
#include "display_test_support.h"

using namespace displaytest;

namespace {

class Colours : public ::testing::Test {
 protected:
  void SetUp() override {
    useFreshSettingsFile();
    transparentKeyColor = RGB(111, 111, 111);
    keyColorBrush = CreateSolidBrush(transparentKeyColor);
    backgroundBrush = CreateSolidBrush(RGB(255, 255, 255));
    ENABLE_ALPHA = 0;
    window_ = CreateWindowExW(WS_EX_LAYERED, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    applyLayeredAttributes(window_);
  }
  void TearDown() override {
    DestroyWindow(window_);
    deleteBackgroundImages();
    DeleteFileW(settingsFilePath);
  }
  HWND window_ = nullptr;
};

TEST_F(Colours, TextColourOfTheKeyMovesTheKeyRebuildsTheKeyedImageAndWritesTheKeys) {
  // An image with a pixel of the key-to-be (110) and one of its own key colour (black).
  std::wstring file = tempPath(L"colours.bmp");
  ASSERT_TRUE(writeBmp24(file, 2, 1, [](int x, int) { return x == 0 ? 0x6E6E6Eu : 0u; }));
  wcscpy_s(BG_IMG_FILE, file.c_str());
  bgImageKeyColour = RGB(0, 0, 0);
  loadBackgroundImage();
  HBRUSH oldBrush = keyColorBrush;

  applyTextColour(window_, RGB(111, 111, 111));

  EXPECT_EQ(transparentKeyColor, RGB(110, 110, 110));
  EXPECT_NE(keyColorBrush, oldBrush);
  EXPECT_EQ(GetObjectType(oldBrush), 0u) << "the old key brush is deleted";
  LOGBRUSH lb{};
  GetObjectW(keyColorBrush, sizeof lb, &lb);
  EXPECT_EQ(lb.lbColor, RGB(110, 110, 110));
  COLORREF key = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(window_, &key, nullptr, &flags));
  EXPECT_EQ(key, RGB(110, 110, 110));
  Pixels keyed = readBitmap(keyedBackgroundImage);
  ASSERT_EQ(keyed.data.size(), 2u);
  EXPECT_EQ(keyed.at(0, 0), 0x6F6E6Eu) << "a pixel of the new key stays visible, one step off";
  EXPECT_EQ(keyed.at(1, 0), 0x6E6E6Eu) << "the image key becomes the new key";
  EXPECT_EQ(textColour, RGB(111, 111, 111));
  EXPECT_EQ(GetPrivateProfileIntW(L"OPTION_SETTING", L"TXT_COLOR_R", -1, settingsFilePath), 111u);
  EXPECT_EQ(GetPrivateProfileIntW(L"OPTION_SETTING", L"TXT_COLOR_B", -1, settingsFilePath), 111u);

  // Any other colour leaves key and brush alone.
  HBRUSH brush = keyColorBrush;
  applyTextColour(window_, RGB(10, 20, 30));
  EXPECT_EQ(transparentKeyColor, RGB(110, 110, 110));
  EXPECT_EQ(keyColorBrush, brush);
  EXPECT_EQ(GetPrivateProfileIntW(L"OPTION_SETTING", L"TXT_COLOR_G", -1, settingsFilePath), 20u);
  // Choosing the moved key moves it back.
  applyTextColour(window_, RGB(110, 110, 110));
  EXPECT_EQ(transparentKeyColor, RGB(111, 111, 111));
  DeleteFileW(file.c_str());
}

TEST_F(Colours, AFramedWindowNeverGetsTheKeyColourOrTheOpacity) {
  // Framed and embedded in the desktop: layered, but with neither key nor alpha (opaque).
  HWND framed = CreateWindowExW(WS_EX_LAYERED, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 80, 80, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(framed, nullptr);
  SetLayeredWindowAttributes(framed, 0, 0, 0);
  ENABLE_ALPHA = 1;
  WIN_ALPHA = 128;
  applyTextColour(framed, RGB(111, 111, 111));  // moves the key colour
  EXPECT_EQ(transparentKeyColor, RGB(110, 110, 110));
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  GetLayeredWindowAttributes(framed, &key, &alpha, &flags);
  EXPECT_EQ(flags & (LWA_COLORKEY | LWA_ALPHA), 0u) << "the framed window turned see-through";
  DestroyWindow(framed);
}

TEST_F(Colours, BackgroundColourReplacesTheBrushAndIsNeverComparedWithTheKey) {
  HBRUSH old = backgroundBrush;
  applyBackgroundColour(window_, RGB(111, 111, 111));
  EXPECT_NE(backgroundBrush, old);
  EXPECT_EQ(GetObjectType(old), 0u);
  EXPECT_EQ(backgroundColour, RGB(111, 111, 111));
  EXPECT_EQ(transparentKeyColor, RGB(111, 111, 111));
  std::wstring text = settingsText();
  std::vector<size_t> at = keyPositions(text, {L"BG_COLOR_R", L"BG_COLOR_G", L"BG_COLOR_B"});
  ASSERT_NE(at[0], std::wstring::npos);
  EXPECT_LT(at[0], at[1]);
  EXPECT_LT(at[1], at[2]);
}

TEST(PausedColour, HalfwayToTheBackgroundOrToBlackOrWhiteAndNeverTheKey) {
  struct Case {
    COLORREF text, background, paused;
  } cases[] = {{RGB(0, 0, 0), RGB(255, 255, 255), RGB(127, 127, 127)},
               {RGB(255, 0, 0), RGB(255, 255, 255), RGB(255, 127, 127)},
               {RGB(255, 255, 255), RGB(255, 255, 255), RGB(127, 127, 127)},  // as light: towards black
               {RGB(0, 0, 0), RGB(0, 0, 128), RGB(127, 127, 127)},            // about as dark: towards white
               {RGB(222, 222, 222), RGB(0, 0, 0), RGB(110, 110, 110)}};       // halfway is the key
  for (const Case& c : cases) EXPECT_EQ(pausedTextColour(c.text, c.background, RGB(111, 111, 111)), c.paused);
}

TEST_F(Colours, FontTakesFaceWeightAndItalicButNotTheSize) {
  LOGFONTW font{};
  font.lfHeight = -96;  // 72 points
  font.lfWeight = 700;
  font.lfItalic = 1;
  wcscpy_s(font.lfFaceName, L"IPAゴシック");
  applyFont(window_, font);
  EXPECT_STREQ(FONT_NAME, L"IPAゴシック");
  EXPECT_EQ(FONT_WEIGHT, 700);
  EXPECT_EQ(FONT_ITALIC, 1);
  std::wstring text = settingsText();
  EXPECT_NE(text.find(L"\nFONT_NAME=IPAゴシック"), std::wstring::npos);
  std::vector<size_t> at = keyPositions(text, {L"FONT_NAME", L"FONT_WEIGHT", L"FONT_ITALIC"});
  ASSERT_NE(at[2], std::wstring::npos);
  EXPECT_LT(at[0], at[1]);
  EXPECT_LT(at[1], at[2]);
  EXPECT_EQ(text.find(L"96"), std::wstring::npos) << "no size is stored";

  // A face name of 31 characters fills the setting.
  wcscpy_s(font.lfFaceName, L"ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
  applyFont(window_, font);
  EXPECT_EQ(wcslen(FONT_NAME), 31u);
}

TEST_F(Colours, FailedFirstWriteIsReportedOnceAndTheColourStaysInEffect) {
  wcscpy_s(settingsFilePath, L"Z:\\no\\such\\folder\\settings.ini");
  std::atomic<int> boxes{0};
  std::atomic<bool> done{false};
  std::thread watcher([&] {
    while (!done) {
      HWND box = FindWindowW(L"#32770", L"Velmora");
      if (box && IsWindowVisible(box)) {
        wchar_t text[128] = L"";
        GetDlgItemTextW(box, 0xFFFF, text, 128);
        if (wcscmp(text, L"設定ファイルの書き込みに失敗しました") == 0) ++boxes;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        while (IsWindow(box)) Sleep(10);
      }
      Sleep(10);
    }
  });
  applyTextColour(window_, RGB(1, 2, 3));
  applyBackgroundColour(window_, RGB(4, 5, 6));
  done = true;
  watcher.join();
  EXPECT_EQ(boxes, 2) << "one message per operation";
  EXPECT_EQ(textColour, RGB(1, 2, 3));
  EXPECT_EQ(backgroundColour, RGB(4, 5, 6));
}

}  // namespace
