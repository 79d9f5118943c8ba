// Pause and continue end to end: an interval timer and a program timer paused with Space keep
// their time left, show it frozen, and continue from there; a paused run survives a restart.
#include <gtest/gtest.h>

#include <string>

#include "velmora_harness.h"

using e2e::VelmoraProcess;
using e2e::nowMs;

namespace {

const wchar_t kIntervalRunning[] = L"間隔指定タイマー作動中 - Velmora";
const wchar_t kIntervalPaused[] = L"間隔指定タイマー一時停止中 - Velmora";
const wchar_t kProgramRunning[] = L"プログラムタイマー作動中 - Velmora";
const wchar_t kProgramPaused[] = L"プログラムタイマー一時停止中 - Velmora";
const wchar_t kStopQuestion[] = L"タイマーを終了しますか？";
const wchar_t kQuiet[] = L"[OPTION_SETTING]\r\nSTART_SYURYO_CHECK=0\r\nALARM_PLAY=0\r\n";

long long savedEndMs(const VelmoraProcess& app) {
  return _wtoi64(app.iniString(L"ALARM_TIME", L"END_UTC").c_str());
}

long long utcNowMs() {
  FILETIME f;
  GetSystemTimeAsFileTime(&f);
  return (((long long)f.dwHighDateTime << 32 | f.dwLowDateTime) - 116444736000000000LL) / 10000;
}

// Pauses with Space and returns the time left that the program wrote.
int pauseNow(const VelmoraProcess& app, const wchar_t* pausedTitle) {
  EXPECT_TRUE(app.key(VK_SPACE));
  EXPECT_TRUE(app.waitForTitle(pausedTitle)) << app.title();
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"ALARM_TIME", L"PAUSED") == 1; }, 2000));
  return app.iniInt(L"ALARM_TIME", L"PAUSE_LEFT");
}

// Continues with Space; the new calendar end is the time left from now on.
void continueNow(const VelmoraProcess& app, const wchar_t* runningTitle, int left) {
  const long long continued = utcNowMs();
  EXPECT_TRUE(app.key(VK_SPACE));
  EXPECT_TRUE(app.waitForTitle(runningTitle)) << app.title();
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"ALARM_TIME", L"PAUSED", -1) == 0; }, 2000));
  EXPECT_NEAR(double(savedEndMs(app) - continued), double(left), 300.0);
}

TEST(PauseE2E, IntervalPausedKeepsItsTimeAsksBeforeStoppingAndContinuesFromThere) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(kQuiet));
  ASSERT_TRUE(app.start(L"6")) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kIntervalRunning)) << app.title();
  Sleep(1500);
  const int left = pauseNow(app, kIntervalPaused);
  EXPECT_GT(left, 3500);
  EXPECT_LE(left, 4600);
  Sleep(2500);  // longer than a second of the count-down: nothing moves
  EXPECT_EQ(app.title(), kIntervalPaused);
  EXPECT_EQ(app.iniInt(L"ALARM_TIME", L"PAUSE_LEFT"), left);
  EXPECT_EQ(app.iniInt(L"TIMER", L"RESUME"), 1);

  ASSERT_TRUE(app.key(VK_F5));
  HWND box = app.waitForMessageBox(kStopQuestion);
  ASSERT_NE(box, nullptr);
  VelmoraProcess::pressButton(box, IDNO);
  ASSERT_TRUE(VelmoraProcess::waitForGone(box));
  EXPECT_EQ(app.title(), kIntervalPaused);

  continueNow(app, kIntervalRunning, left);
  const long long end = savedEndMs(app);
  ASSERT_TRUE(e2e::waitFor([&] { return app.title() == L"Velmora"; }, left + 2000));
  EXPECT_NEAR(double(utcNowMs() - end), 0.0, 400.0) << "ends the time left after continuing";
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"RESUME", -1) == 0; }, 2000));
  EXPECT_TRUE(app.close());
}

TEST(PauseE2E, ProgramStepPausedPastItsEndShowsNothingUntilContinuedAndStopsWhenAsked) {
  VelmoraProcess app;
  const std::wstring user = e2e::currentUserName();
  ASSERT_TRUE(app.writeUtf16File(user + L"_program_timer_0.txt", L"3000\t\t0\t一番目\r\n3000\t\t0\t二番目\r\n"));
  ASSERT_TRUE(app.writeSettings(std::wstring(kQuiet) + L"[PROGRAM_TIMER]\r\nNO=0\r\nLOOP=0\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.key(VK_F8));
  ASSERT_TRUE(app.waitForTitle(kProgramRunning)) << app.title();
  Sleep(1000);
  const int left = pauseNow(app, kProgramPaused);
  EXPECT_GT(left, 1000);
  EXPECT_LE(left, 2100);
  Sleep(left + 1000);  // past the step's first planned end
  EXPECT_EQ(app.findMessageBox(L"一番目"), nullptr);
  EXPECT_EQ(app.title(), kProgramPaused);

  continueNow(app, kProgramRunning, left);
  HWND box = app.waitForMessageBox(L"一番目", left + 2000);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"PROGRAM_TIMER", L"STEP") == 1; }, 2000));
  VelmoraProcess::pressButton(box, IDOK);

  // The next step pauses too; F5 then stops the run on yes, and the step shows nothing.
  pauseNow(app, kProgramPaused);
  ASSERT_TRUE(app.key(VK_F5));
  HWND question = app.waitForMessageBox(kStopQuestion);
  ASSERT_NE(question, nullptr);
  VelmoraProcess::pressButton(question, IDYES);
  EXPECT_TRUE(app.waitForTitle(L"Velmora")) << app.title();
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"RESUME", -1) == 0; }, 2000));
  Sleep(3500);
  EXPECT_EQ(app.findMessageBox(L"二番目"), nullptr);
  EXPECT_TRUE(app.close());
}

TEST(PauseE2E, PausedRunSurvivesARestartPausedWithTheSameTimeLeft) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(kQuiet));
  ASSERT_TRUE(app.start(L"30")) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kIntervalRunning)) << app.title();
  const int left = pauseNow(app, kIntervalPaused);
  app.killHard();
  Sleep(1000);

  ASSERT_TRUE(app.restart()) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kIntervalPaused, 3000)) << app.title();
  Sleep(1500);
  EXPECT_EQ(app.title(), kIntervalPaused);
  EXPECT_EQ(app.iniInt(L"ALARM_TIME", L"PAUSE_LEFT"), left);
  EXPECT_EQ(app.iniInt(L"TIMER", L"RESUME"), 1);
  continueNow(app, kIntervalRunning, left);
  EXPECT_TRUE(app.close());
}

}  // namespace
