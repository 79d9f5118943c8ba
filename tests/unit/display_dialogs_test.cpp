// Dialogs 205, 206 and 207 run for real on this thread and driven from a helper thread;
// the apply steps write their keys to a real settings file.
#include <gtest/gtest.h>

#include "common/settings.h"
#include "display/background_image.h"
#include "display/row_switch_ratio.h"
#include "display/transparency.h"
#include "res/resource.h"
#include "dialog_driver.h"
#include "display_test_support.h"

using namespace displaytest;

namespace {

class DisplayDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    useFreshSettingsFile();
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(owner_);
    DeleteFileW(settingsFilePath);
  }
  HWND owner_ = nullptr;
};

TEST(DialogNumber, TypedNumbersAreClampedAndNonNumbersKeepTheCurrentValue) {
  struct Case {
    const wchar_t* text;
    int expected;
  } cases[] = {
      {L"128", 128}, {L"0", 0},     {L"255", 255},   {L"256", 255}, {L"300", 255}, {L"99999999999999", 255},
      {L"-5", 0},    {L" 17 ", 17}, {L"", 42},       {L"abc", 42},  {L"12abc", 42}, {L"-", 42},
  };
  for (const Case& c : cases) EXPECT_EQ(dialogNumber(c.text, 0, 255, 42), c.expected);
}

TEST(DialogNumber, RatioRangeKeepsAtLeastOne) {
  EXPECT_EQ(dialogNumber(L"0", 1, 32767, 5), 1);
  EXPECT_EQ(dialogNumber(L"40000", 1, 32767, 5), 32767);
  EXPECT_EQ(dialogNumber(L"", 1, 32767, 0), 1) << "a broken current value is clamped as well";
}

TEST_F(DisplayDialogs, TransparencyDialogFollowsItsCheckBoxesAndClampsTypedNumbers) {
  ENABLE_ALPHA = 0;
  WIN_ALPHA = 200;
  BG_IMG_TOUKA = 1;
  bgImageKeyColour = RGB(10, 20, 30);
  INT_PTR result = dialogtest::runDialogDriven(IDD_TRANSPARENCY, transparencyDialogProc, owner_, [](HWND d) {
    EXPECT_FALSE(checked(d, IDC_ALPHA_ENABLE));
    EXPECT_FALSE(enabled(d, IDC_ALPHA_VALUE));
    EXPECT_FALSE(enabled(d, IDC_ALPHA_SPIN));
    EXPECT_EQ(text(d, IDC_ALPHA_VALUE), L"200");
    EXPECT_TRUE(checked(d, IDC_IMAGE_KEY_ENABLE));
    for (int id : {IDC_IMAGE_KEY_R, IDC_IMAGE_KEY_R_SPIN, IDC_IMAGE_KEY_G, IDC_IMAGE_KEY_B_SPIN})
      EXPECT_TRUE(enabled(d, id)) << id;
    EXPECT_EQ(text(d, IDC_IMAGE_KEY_R), L"10");
    EXPECT_EQ(text(d, IDC_IMAGE_KEY_G), L"20");
    EXPECT_EQ(text(d, IDC_IMAGE_KEY_B), L"30");

    click(d, IDC_ALPHA_ENABLE);
    EXPECT_TRUE(enabled(d, IDC_ALPHA_VALUE));
    EXPECT_TRUE(enabled(d, IDC_ALPHA_SPIN));
    click(d, IDC_IMAGE_KEY_ENABLE);
    for (int id = IDC_IMAGE_KEY_R; id <= IDC_IMAGE_KEY_B_SPIN; ++id) EXPECT_FALSE(enabled(d, id)) << id;
    click(d, IDC_IMAGE_KEY_ENABLE);
    EXPECT_TRUE(enabled(d, IDC_IMAGE_KEY_G));

    setText(d, IDC_ALPHA_VALUE, L"300");   // above the range
    setText(d, IDC_IMAGE_KEY_R, L"-7");    // below it
    setText(d, IDC_IMAGE_KEY_G, L"");      // empty: the value stays
    setText(d, IDC_IMAGE_KEY_B, L"blue");  // no number: the same
    PostMessageW(d, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ENABLE_ALPHA, 1);
  EXPECT_EQ(WIN_ALPHA, 255);
  EXPECT_EQ(BG_IMG_TOUKA, 1);
  EXPECT_EQ(BG_IMG_TOUKA_R, 0);
  EXPECT_EQ(BG_IMG_TOUKA_G, 20);
  EXPECT_EQ(BG_IMG_TOUKA_B, 30);
  EXPECT_EQ(bgImageKeyColour, RGB(0, 20, 30));
}

TEST_F(DisplayDialogs, CancelOrCloseOfEachDialogChangesNothing) {
  ENABLE_ALPHA = 1;
  WIN_ALPHA = 77;
  DHMS_ASPECT_W = 3;
  ENABLE_BG_IMG = 0;
  wcscpy_s(BG_IMG_FILE, L"bg.bmp");
  struct Case {
    int id;
    DLGPROC proc;
    int editId;
    int checkId;
  } cases[] = {
      {IDD_TRANSPARENCY, transparencyDialogProc, IDC_ALPHA_VALUE, IDC_ALPHA_ENABLE},
      {IDD_ASPECT, aspectDialogProc, IDC_DHMS_W, 0},
      {IDD_BG_IMAGE, backgroundImageDialogProc, IDC_BG_FILE, IDC_BG_ENABLE},
  };
  for (const Case& c : cases) {
    for (UINT ending : {(UINT)WM_COMMAND, (UINT)WM_CLOSE}) {
      INT_PTR result = dialogtest::runDialogDriven(c.id, c.proc, owner_, [&](HWND d) {
        setText(d, c.editId, L"9");
        if (c.checkId) click(d, c.checkId);
        if (ending == WM_COMMAND)
          PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
        else
          PostMessageW(d, WM_CLOSE, 0, 0);
      });
      EXPECT_EQ(result, 0) << c.id;
    }
  }
  EXPECT_EQ(ENABLE_ALPHA, 1);
  EXPECT_EQ(WIN_ALPHA, 77);
  EXPECT_EQ(DHMS_ASPECT_W, 3);
  EXPECT_EQ(ENABLE_BG_IMG, 0);
  EXPECT_STREQ(BG_IMG_FILE, L"bg.bmp");
  EXPECT_EQ(settingsText(), L"");
}

TEST_F(DisplayDialogs, AspectDialogShowsTheRatiosAndStoresAtLeastOne) {
  DHMS_ASPECT_W = 2;
  DHMS_ASPECT_H = 1;
  HMS_ASPECT_W = 16;
  HMS_ASPECT_H = 10;
  INT_PTR result = dialogtest::runDialogDriven(IDD_ASPECT, aspectDialogProc, owner_, [](HWND d) {
    EXPECT_EQ(text(d, IDC_DHMS_W), L"2");
    EXPECT_EQ(text(d, IDC_DHMS_H), L"1");
    EXPECT_EQ(text(d, IDC_HMS_W), L"16");
    EXPECT_EQ(text(d, IDC_HMS_H), L"10");
    setText(d, IDC_DHMS_W, L"0");
    setText(d, IDC_DHMS_H, L"40000");
    setText(d, IDC_HMS_W, L"");
    setText(d, IDC_HMS_H, L"9");
    PostMessageW(d, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(DHMS_ASPECT_W, 1);
  EXPECT_EQ(DHMS_ASPECT_H, 32767);
  EXPECT_EQ(HMS_ASPECT_W, 16);
  EXPECT_EQ(HMS_ASPECT_H, 9);
}

TEST_F(DisplayDialogs, BackgroundImageDialogEnablesThePathWithItsCheckBox) {
  ENABLE_BG_IMG = 0;
  wcscpy_s(BG_IMG_FILE, L"C:\\壁紙\\夜景.bmp");
  INT_PTR result = dialogtest::runDialogDriven(IDD_BG_IMAGE, backgroundImageDialogProc, owner_, [](HWND d) {
    EXPECT_FALSE(checked(d, IDC_BG_ENABLE));
    EXPECT_EQ(text(d, IDC_BG_FILE), L"C:\\壁紙\\夜景.bmp");
    EXPECT_FALSE(enabled(d, IDC_BG_FILE));
    EXPECT_FALSE(enabled(d, IDC_BG_BROWSE));
    click(d, IDC_BG_ENABLE);
    EXPECT_TRUE(enabled(d, IDC_BG_FILE));
    EXPECT_TRUE(enabled(d, IDC_BG_BROWSE));
    setText(d, IDC_BG_FILE, L"missing.bmp");
    PostMessageW(d, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ENABLE_BG_IMG, 1);
  EXPECT_STREQ(BG_IMG_FILE, L"missing.bmp");
}

TEST_F(DisplayDialogs, ApplyStepsWriteTheirKeysInOrder) {
  HWND window = owner_;
  ENABLE_ALPHA = 1;
  WIN_ALPHA = 128;
  BG_IMG_TOUKA = 1;
  BG_IMG_TOUKA_R = 1;
  BG_IMG_TOUKA_G = 2;
  BG_IMG_TOUKA_B = 3;
  applyTransparency(window);
  DHMS_ASPECT_W = 3;
  DHMS_ASPECT_H = 2;
  HMS_ASPECT_W = 5;
  HMS_ASPECT_H = 4;
  applyAspectRatios(window);
  ENABLE_BG_IMG = 1;
  wcscpy_s(BG_IMG_FILE, L"D:\\画像\\bg.bmp");
  applyBackgroundImage(window);

  EXPECT_DOUBLE_EQ(dhmsRatio, 1.5);
  EXPECT_DOUBLE_EQ(hmsRatio, 1.25);
  std::wstring text = settingsText();
  std::vector<size_t> at = keyPositions(
      text, {L"ENABLE_ALPHA", L"WIN_ALPHA", L"BG_IMG_TOUKA", L"BG_IMG_TOUKA_R", L"BG_IMG_TOUKA_G", L"BG_IMG_TOUKA_B",
             L"DHMS_ASPECT_W", L"DHMS_ASPECT_H", L"HMS_ASPECT_W", L"HMS_ASPECT_H", L"ENABLE_BG_IMG", L"BG_IMG_FILE"});
  for (size_t i = 0; i < at.size(); ++i) {
    ASSERT_NE(at[i], std::wstring::npos) << i << "\n" << std::string(text.begin(), text.end());
    if (i) {
      EXPECT_LT(at[i - 1], at[i]) << i;
    }
  }
  EXPECT_NE(text.find(L"\nWIN_ALPHA=128"), std::wstring::npos);
  EXPECT_NE(text.find(L"\nBG_IMG_TOUKA_B=3"), std::wstring::npos);
  EXPECT_NE(text.find(L"\nBG_IMG_FILE=D:\\画像\\bg.bmp"), std::wstring::npos);
}

}  // namespace
