// The background image and its colour-keyed copy, built from real bitmap files.
#include <gtest/gtest.h>

#include "common/settings.h"
#include "display/background_image.h"
#include "display/colours_and_font.h"
#include "display/painter.h"
#include "display_test_support.h"

using namespace displaytest;

namespace {

constexpr uint32_t kOther = 0x2060A0;  // a colour no case uses as a key

// DIB order (0x00RRGGBB) of a COLORREF.
uint32_t rgbOf(COLORREF c) { return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c); }

class BackgroundImage : public ::testing::Test {
 protected:
  void SetUp() override {
    useFreshSettingsFile();
    file_ = tempPath(L"bg.bmp");
    wcscpy_s(BG_IMG_FILE, file_.c_str());
  }
  void TearDown() override {
    deleteBackgroundImages();
    DeleteFileW(file_.c_str());
    DeleteFileW(settingsFilePath);
  }
  std::wstring file_;
};

struct KeyCase {
  const char* name;
  COLORREF windowKey;   // K
  COLORREF imageKey;    // T
  uint32_t keyPixelBecomes;      // what an image pixel of colour K turns into
  uint32_t imageKeyPixelBecomes; // what an image pixel of colour T turns into
};

// Image of three vertical stripes: K, T, another colour.
TEST_F(BackgroundImage, KeyedCopyTurnsTheImageKeySeeThroughAndKeepsKeyPixelsVisible) {
  const KeyCase cases[] = {
      // T = K: the file as it is; its K pixels are see-through already.
      {"T equals K", RGB(111, 111, 111), RGB(111, 111, 111), 0x6F6F6F, 0x6F6F6F},
      // K pixels go one red step off; T pixels become K.
      {"black image key", RGB(111, 111, 111), RGB(0, 0, 0), 0x6E6F6F, 0x6F6F6F},
      // T = K XOR red bit: the red step would be T, so the green step is taken.
      {"T is K with red bit flipped", RGB(111, 111, 111), RGB(110, 111, 111), 0x6F6E6F, 0x6F6F6F},
      // A key moved off a grey text colour.
      {"moved key", RGB(110, 110, 110), RGB(255, 0, 255), 0x6F6E6E, 0x6E6E6E},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    const uint32_t k = rgbOf(c.windowKey), t = rgbOf(c.imageKey);
    ASSERT_TRUE(writeBmp24(file_, 30, 8, [&](int x, int) { return x < 10 ? k : x < 20 ? t : kOther; }));
    transparentKeyColor = c.windowKey;
    bgImageKeyColour = c.imageKey;
    loadBackgroundImage();
    ASSERT_NE(backgroundImage, nullptr);
    ASSERT_NE(keyedBackgroundImage, nullptr);
    EXPECT_EQ(backgroundImageSize.cx, 30);
    EXPECT_EQ(backgroundImageSize.cy, 8);

    Pixels original = readBitmap(backgroundImage);
    Pixels keyed = readBitmap(keyedBackgroundImage);
    ASSERT_EQ(keyed.width, 30);
    ASSERT_EQ(keyed.height, 8);
    EXPECT_EQ(original.at(5, 3), k);
    for (int y : {0, 7}) {
      EXPECT_EQ(keyed.at(2, y), c.keyPixelBecomes);
      EXPECT_EQ(keyed.at(15, y), c.imageKeyPixelBecomes);
      EXPECT_EQ(keyed.at(25, y), kOther);
    }
    // The only see-through pixels of the copy are those that were of the image key colour.
    EXPECT_EQ(countColour(keyed, k), c.windowKey == c.imageKey ? 160u : 80u);
  }
}

TEST_F(BackgroundImage, AnImageAllOfTheImageKeyBecomesWhollySeeThrough) {
  ASSERT_TRUE(writeBmp24(file_, 16, 16, [](int, int) { return 0x00FF00u; }));
  transparentKeyColor = RGB(111, 111, 111);
  bgImageKeyColour = RGB(0, 255, 0);
  loadBackgroundImage();
  Pixels keyed = readBitmap(keyedBackgroundImage);
  ASSERT_EQ(keyed.data.size(), 256u);
  EXPECT_EQ(countColour(keyed, 0x6F6F6F), 256u);
}

TEST_F(BackgroundImage, ReloadReplacesBothBitmapsAndDeletesTheOldOnes) {
  ASSERT_TRUE(writeBmp24(file_, 4, 4, [](int, int) { return kOther; }));
  loadBackgroundImage();
  HBITMAP first = backgroundImage, firstKeyed = keyedBackgroundImage;
  ASSERT_NE(first, nullptr);
  ASSERT_NE(firstKeyed, nullptr);
  ASSERT_TRUE(writeBmp24(file_, 6, 2, [](int, int) { return kOther; }));
  loadBackgroundImage();
  EXPECT_EQ(backgroundImageSize.cx, 6);
  EXPECT_EQ(backgroundImageSize.cy, 2);
  BITMAP bm;
  EXPECT_EQ(GetObjectW(first, sizeof bm, &bm), 0) << "old image not deleted";
  EXPECT_EQ(GetObjectW(firstKeyed, sizeof bm, &bm), 0) << "old keyed copy not deleted";
}

TEST_F(BackgroundImage, MissingOrNonBitmapFilesGiveNoImageAndDropTheOldOne) {
  ASSERT_TRUE(writeBmp24(file_, 4, 4, [](int, int) { return kOther; }));
  loadBackgroundImage();
  ASSERT_NE(backgroundImage, nullptr);

  DeleteFileW(file_.c_str());
  loadBackgroundImage();
  EXPECT_EQ(backgroundImage, nullptr);
  EXPECT_EQ(keyedBackgroundImage, nullptr);

  HANDLE f = CreateFileW(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD n;
  WriteFile(f, "BM this is no bitmap at all", 27, &n, nullptr);
  CloseHandle(f);
  loadBackgroundImage();
  EXPECT_EQ(backgroundImage, nullptr);
  EXPECT_EQ(keyedBackgroundImage, nullptr);

  BG_IMG_FILE[0] = 0;
  loadBackgroundImage();
  EXPECT_EQ(backgroundImage, nullptr);
}

TEST_F(BackgroundImage, SinglePixelImageIsKeyedLikeAnyOther) {
  bgImageKeyColour = RGB(1, 2, 3);
  transparentKeyColor = RGB(111, 111, 111);
  ASSERT_TRUE(writeBmp24(file_, 1, 1, [](int, int) { return 0x010203u; }));
  loadBackgroundImage();
  Pixels keyed = readBitmap(keyedBackgroundImage);
  ASSERT_EQ(keyed.data.size(), 1u);
  EXPECT_EQ(keyed.at(0, 0), 0x6F6F6Fu);
}

TEST_F(BackgroundImage, HugeImageLoadsOrFailsWithoutCrashing) {
  ASSERT_TRUE(writeBmp1(file_, 10000, 10000));
  bgImageKeyColour = RGB(0, 0, 0);
  loadBackgroundImage();
  // A 32-bit process may not find room for the 400 MB keyed copy; then there is none.
  if (backgroundImage) {
    EXPECT_EQ(backgroundImageSize.cx, 10000);
    EXPECT_EQ(backgroundImageSize.cy, 10000);
  }
  if (keyedBackgroundImage) {
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(keyedBackgroundImage, sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 10000);
  }
  deleteBackgroundImages();
  // Still usable afterwards.
  ASSERT_TRUE(writeBmp24(file_, 2, 2, [](int, int) { return kOther; }));
  loadBackgroundImage();
  EXPECT_NE(keyedBackgroundImage, nullptr);
}

TEST_F(BackgroundImage, AnImageShrunkIntoTheWindowKeepsItsColoursAndTheKeyExact) {
  // Columns of two colours, drawn at half size: every pixel must still be one of them (or the
  // digits), never a mix; in the frameless form the see-through pixels must be the exact key.
  const uint32_t red = 0xFF0000, green = 0x00FF00;
  const COLORREF key = RGB(111, 111, 111), imageKey = RGB(0, 0, 0);
  struct Case {
    bool framed;
    uint32_t left, right;          // the image's two column colours
    uint32_t shownLeft, shownRight;  // as the window shows them
  } cases[] = {
      {true, red, green, red, green},
      {false, 0x000000, kOther, rgbOf(key), kOther},
  };
  ENABLE_BG_IMG = 1;
  BG_IMG_TOUKA = 1;
  transparentKeyColor = key;
  bgImageKeyColour = imageKey;
  textColour = RGB(0, 0, 255);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.framed);
    ASSERT_TRUE(writeBmp24(file_, 120, 60, [&](int x, int) { return x % 2 ? c.right : c.left; }));
    loadBackgroundImage();
    ASSERT_NE(backgroundImage, nullptr);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 60, 30);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, target);
    FrameInputs in{};
    in.framed = c.framed;
    in.outerWidth = 60;
    in.outerHeight = 30;
    const RECT all{0, 0, 60, 30};
    paintFrame(dc, 60, 30, in, all);
    SelectObject(dc, old);
    DeleteDC(dc);
    Pixels shown = readBitmap(target);
    DeleteObject(target);
    ASSERT_EQ(shown.data.size(), 60u * 30u);
    size_t image = 0, other = 0;
    for (uint32_t v : shown.data) {
      if (v == c.shownLeft || v == c.shownRight)
        ++image;
      else if (v != 0x0000FF)
        ++other;
    }
    EXPECT_GT(image, 0u);
    EXPECT_EQ(other, 0u) << "pixels mixed from two image pixels";
  }
  ENABLE_BG_IMG = 0;
  BG_IMG_TOUKA = 0;
}

TEST(KeyPixels, StandByColourSkipsTheImageKey) {
  EXPECT_EQ(standByColour(RGB(111, 111, 111), RGB(0, 0, 0)), RGB(110, 111, 111));
  EXPECT_EQ(standByColour(RGB(111, 111, 111), RGB(110, 111, 111)), RGB(111, 110, 111));
  EXPECT_EQ(standByColour(0xFF6F6F6F, 0x00000000), RGB(110, 111, 111)) << "top byte ignored";
}

}  // namespace
