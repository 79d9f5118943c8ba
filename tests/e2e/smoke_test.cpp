// The program starts, shows its window, creates its settings file and ends
// cleanly: the ground every other end-to-end test stands on.
#include <gtest/gtest.h>

#include "velmora_harness.h"

using e2e::Capture;
using e2e::VelmoraProcess;

TEST(Smoke, StartsWithItsWindowAndEndsWithCodeZeroOnClose) {
    VelmoraProcess app;
    ASSERT_TRUE(app.start()) << app.lastError();

    EXPECT_EQ(e2e::windowClass(app.window()), L"VELMORA");
    EXPECT_TRUE(app.waitForTitle(L"Velmora")) << "title: " << app.title();
    EXPECT_TRUE(IsWindowVisible(app.window()));

    ASSERT_TRUE(app.close()) << app.lastError();
    EXPECT_EQ(app.exitCode(), 0u);
}

TEST(Smoke, FirstStartCreatesSettingsFileWithEmptyTickSoundKey) {
    VelmoraProcess app;
    ASSERT_FALSE(app.fileExists(VelmoraProcess::settingsFileName()));
    ASSERT_TRUE(app.start()) << app.lastError();

    ASSERT_TRUE(e2e::waitFor([&] { return app.iniHasKey(L"OPTION_SETTING", L"SEC_SOUND_PATH"); }, 5000))
        << "settings file:\n" << app.settingsText();
    EXPECT_EQ(app.iniString(L"OPTION_SETTING", L"SEC_SOUND_PATH", L"missing"), L"");
    std::wstring text = app.settingsText();
    EXPECT_NE(text.find(L"[OPTION_SETTING]"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"SEC_SOUND_PATH="), std::wstring::npos) << text;

    EXPECT_TRUE(app.close()) << app.lastError();
}

TEST(Smoke, GivenSettingsFileIsKeptAcrossARunIncludingJapaneseText) {
    VelmoraProcess app;
    ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\n"
                                  L"SEC_SOUND_PATH=C:\\sounds\\tick.wav\r\n"
                                  L"[PROGRAM_TIMER]\r\n"
                                  L"NAME_0=朝の準備\r\n"))
        << app.lastError();
    ASSERT_TRUE(app.start()) << app.lastError();
    ASSERT_TRUE(app.close()) << app.lastError();

    // A tick sound path that is set is used as it is and not written back empty.
    EXPECT_EQ(app.iniString(L"OPTION_SETTING", L"SEC_SOUND_PATH"), L"C:\\sounds\\tick.wav");
    EXPECT_EQ(app.iniString(L"PROGRAM_TIMER", L"NAME_0"), L"朝の準備");
    EXPECT_EQ(app.readBytes(VelmoraProcess::settingsFileName()).substr(0, 2), "\xFF\xFE");
}

TEST(Smoke, RestartInTheSameFolderKeepsTheSettingsFile) {
    VelmoraProcess app;
    ASSERT_TRUE(app.start()) << app.lastError();
    ASSERT_TRUE(e2e::waitFor([&] { return app.iniHasKey(L"OPTION_SETTING", L"SEC_SOUND_PATH"); }, 5000));
    app.killHard();
    EXPECT_FALSE(app.running());

    ASSERT_TRUE(app.restart()) << app.lastError();
    EXPECT_TRUE(app.iniHasKey(L"OPTION_SETTING", L"SEC_SOUND_PATH"));
    EXPECT_TRUE(app.close()) << app.lastError();
    EXPECT_EQ(app.exitCode(), 0u);
}

TEST(Smoke, WindowPaintsTheReadOutInTextColourOnTheBackground) {
    VelmoraProcess app;
    ASSERT_TRUE(app.start()) << app.lastError();

    // Defaults: black digits on white.
    Capture shot;
    bool painted = e2e::waitFor(
        [&] {
            shot = app.capture();
            return !shot.empty() && shot.count(Capture::rgb(255, 255, 255)) > 0 &&
                   shot.count(Capture::rgb(0, 0, 0)) > 0;
        },
        5000, 100);
    if (!painted) shot.saveBmp(app.directory() + L"\\..\\velmora-smoke-paint.bmp");
    ASSERT_TRUE(painted) << "client " << shot.width << "x" << shot.height;
    RECT client;
    GetClientRect(app.window(), &client);
    EXPECT_EQ(shot.width, client.right);
    EXPECT_EQ(shot.height, client.bottom);
    // The background covers more of the window than the digits do.
    EXPECT_GT(shot.count(Capture::rgb(255, 255, 255)), shot.count(Capture::rgb(0, 0, 0)));
}

TEST(Smoke, ExitCheckAsksFirstAndOnlyYesEndsTheProgram) {
    VelmoraProcess app;
    ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nEXIT_CHECK=1\r\n")) << app.lastError();
    ASSERT_TRUE(app.start()) << app.lastError();

    ASSERT_TRUE(app.post(WM_CLOSE));
    HWND box = app.waitForMessageBox(L"終了しますがいいですか？");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(VelmoraProcess::caption(box), L"Velmora");
    ASSERT_TRUE(VelmoraProcess::pressButton(box, IDNO));
    EXPECT_TRUE(VelmoraProcess::waitForGone(box));
    EXPECT_FALSE(app.waitForExit(300));

    ASSERT_TRUE(app.post(WM_CLOSE));
    box = app.waitForMessageBox(L"終了しますがいいですか？");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(VelmoraProcess::pressButton(box, IDYES));
    ASSERT_TRUE(app.waitForExit(5000));
    EXPECT_EQ(app.exitCode(), 0u);
}
