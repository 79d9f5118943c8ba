// Resume after restart end to end: a count-down cut off by a hard kill continues at the next
// start and ends at the moment first planned; ended and garbage states give up silently.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "velmora_harness.h"

using e2e::VelmoraProcess;
using e2e::localMs;
using e2e::nowMs;
using e2e::localAt;
using e2e::whenTitleLeaves;

namespace {

const wchar_t kIntervalTitle[] = L"間隔指定タイマー作動中 - Velmora";
const wchar_t kProgramTitle[] = L"プログラムタイマー作動中 - Velmora";


std::wstring alarmTimeSection(const SYSTEMTIME& t) {
  wchar_t text[256];
  swprintf_s(text, 256,
             L"[ALARM_TIME]\r\nYEAR=%u\r\nMONTH=%u\r\nDAY=%u\r\nHOUR=%u\r\nMINUTE=%u\r\nSECOND=%u\r\nMILLISECOND=%u\r\n",
             t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
  return text;
}

// No notices, so that every end is seen in the title and the file alone.
const wchar_t kQuiet[] = L"[OPTION_SETTING]\r\nSTART_SYURYO_CHECK=0\r\nALARM_PLAY=0\r\n";


TEST(ResumeE2E, KilledIntervalCountdownContinuesAndEndsWhenFirstPlanned) {
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(kQuiet));
  ASSERT_TRUE(app.start(L"8")) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kIntervalTitle)) << app.title();
  ASSERT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"RESUME") == 1; }, 3000));
  const long long plannedEnd = localMs(savedEnd(app));
  Sleep(1500);
  app.killHard();
  EXPECT_EQ(app.iniInt(L"TIMER", L"RESUME"), 1) << "a hard kill leaves the flag set";
  Sleep(2000);

  ASSERT_TRUE(app.restart()) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kIntervalTitle, 2000)) << app.title();
  // About 4.5 s of the 8 were left; the end keeps to the first plan.
  long long left = plannedEnd - nowMs();
  EXPECT_GT(left, 3000);
  EXPECT_LT(left, 5500);
  long long seen = whenTitleLeaves(app, kIntervalTitle, 9000);
  ASSERT_NE(seen, 0) << "still running: " << app.title();
  const long long error = seen - plannedEnd;
  std::printf("[ measured ] resumed interval end %+lld ms from the planned moment\n", error);
  RecordProperty("resumed_end_error_ms", std::to_string(error));
  EXPECT_GE(error, -60);
  EXPECT_LE(error, 300);
  EXPECT_TRUE(app.waitForTitle(L"Velmora"));
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"RESUME", -1) == 0; }, 2000));
  // The saved end was not rewritten by the resume.
  EXPECT_EQ(localMs(savedEnd(app)), plannedEnd);
  EXPECT_TRUE(app.close());
}

TEST(ResumeE2E, LoopingProgramTimerResumesInTheStepRunningNow) {
  VelmoraProcess app;
  const std::wstring user = e2e::currentUserName();
  ASSERT_TRUE(app.writeUtf16File(user + L"_program_timer_0.txt",
                                 L"4000\t\t0\t一番目\r\n4000\t\t0\t二番目\r\n4000\t\t0\t三番目\r\n"));
  ASSERT_TRUE(app.writeSettings(std::wstring(kQuiet) + L"[PROGRAM_TIMER]\r\nNO=0\r\nLOOP=1\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.key(VK_F8));
  ASSERT_TRUE(app.waitForTitle(kProgramTitle)) << app.title();
  ASSERT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"RESUME") == 1; }, 3000));
  const long long firstEnd = localMs(savedEnd(app));
  Sleep(1000);
  app.killHard();
  // Down across the end of step 0: step 1 runs when the program comes back.
  while (nowMs() < firstEnd + 1500) Sleep(50);

  ASSERT_TRUE(app.restart()) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kProgramTitle, 2000)) << app.title();
  EXPECT_EQ(app.findMessageBox(L"一番目"), nullptr) << "a step passed while down shows nothing";
  // Step 1 ends 4 s after step 0's planned end: its message shows and step 2 starts.
  HWND box = app.waitForMessageBox(L"二番目", 6000);
  const long long seen = nowMs();
  ASSERT_NE(box, nullptr);
  const long long error = seen - (firstEnd + 4000);
  std::printf("[ measured ] resumed program step end %+lld ms from the planned moment\n", error);
  RecordProperty("resumed_step_end_error_ms", std::to_string(error));
  EXPECT_GE(error, -60);
  EXPECT_LE(error, 400);
  EXPECT_EQ(app.findMessageBox(L"一番目"), nullptr);
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"PROGRAM_TIMER", L"STEP") == 2; }, 2000));
  EXPECT_EQ(app.iniInt(L"TIMER", L"LOOP_CNT"), 0);
  VelmoraProcess::pressButton(box, IDOK);
  EXPECT_TRUE(app.close());
}

TEST(ResumeE2E, EndedTimerWithoutRepeatIsNotResumedAndNotSignalled) {
  VelmoraProcess app;
  SYSTEMTIME end = localAt(nowMs() - 60000);
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nTIMER_LOOP=0\r\nALARM_PLAY=1\r\n" + alarmTimeSection(end) +
                                L"[TIMER]\r\nTYPE=1\r\nLOOP_CNT=0\r\nRESUME=1\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"RESUME", -1) == 0; }, 3000));
  Sleep(500);
  EXPECT_EQ(app.title(), L"Velmora");
  EXPECT_EQ(app.findMessageBox(L"時間になりました"), nullptr);
  EXPECT_TRUE(app.dialogs().empty());
  EXPECT_TRUE(app.close());
}

TEST(ResumeE2E, RepeatingIntervalMissedWhileDownCatchesUpSilently) {
  VelmoraProcess app;
  // A 10 s interval that ended 25 s ago: the third run is on with 5 s left, repeat count + 3.
  SYSTEMTIME end = localAt(nowMs() - 25000);
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nTIMER_LOOP=1\r\nSTART_SYURYO_CHECK=1\r\n"
                                L"[TIMER_SETTING]\r\nHOUR=0\r\nMIN=0\r\nSEC=10\r\n" + alarmTimeSection(end) +
                                L"[TIMER]\r\nTYPE=1\r\nLOOP_CNT=1\r\nRESUME=1\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kIntervalTitle, 2000)) << app.title();
  EXPECT_EQ(app.findMessageBox(L"時間になりました"), nullptr);
  EXPECT_EQ(app.findMessageBox(L"カウントダウンスタート"), nullptr);
  // Its end is 5 s after the restart, then the next repeat, counted as the fifth run.
  HWND box = app.waitForMessageBox(L"時間になりました", 7000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(VelmoraProcess::caption(box), L"繰り返し 5 回目 - Velmora");
  VelmoraProcess::pressButton(box, IDOK);
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"LOOP_CNT") == 5; }, 2000));
  EXPECT_TRUE(app.close());
}

TEST(ResumeE2E, ASeriesWhoseRepeatCannotStartEndsOnDisk) {
  VelmoraProcess app;
  // A repeating count-down with 2 s left, and the interval 0:00:00: the repeat is refused.
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nTIMER_LOOP=1\r\nSTART_SYURYO_CHECK=0\r\nALARM_PLAY=0\r\n"
                                L"[TIMER_SETTING]\r\nHOUR=0\r\nMIN=0\r\nSEC=0\r\n" +
                                alarmTimeSection(localAt(nowMs() + 2000)) + L"[TIMER]\r\nTYPE=1\r\nLOOP_CNT=0\r\nRESUME=1\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kIntervalTitle, 2000)) << app.title();
  ASSERT_NE(whenTitleLeaves(app, kIntervalTitle, 5000), 0) << "still running: " << app.title();
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"RESUME", -1) == 0; }, 2000))
      << "RESUME " << app.iniInt(L"TIMER", L"RESUME", -1);
  EXPECT_EQ(app.title(), L"Velmora");
  EXPECT_TRUE(app.close());
}

TEST(ResumeE2E, GarbageFarAndInconsistentStatesGiveUpSilently) {
  const long long now = nowMs();
  const std::wstring user = e2e::currentUserName();
  struct Case {
    const char* what;
    std::wstring settings;  // OPTION_SETTING lines first, then other sections
    bool twoStepProgram;
  } cases[] = {
      {"keys that are not numbers",
       L"[ALARM_TIME]\r\nYEAR=abc\r\nMONTH=x\r\nDAY=\r\nHOUR=??\r\n[TIMER]\r\nTYPE=zz\r\nLOOP_CNT=-5\r\nRESUME=1\r\n", false},
      {"a year the calendar cannot hold",
       alarmTimeSection(SYSTEMTIME{9999, 12, 0, 31, 23, 59, 59, 999}) + L"[TIMER]\r\nTYPE=1\r\nRESUME=1\r\n", false},
      {"far future", alarmTimeSection(localAt(now + 200LL * 86400000)) + L"[TIMER]\r\nTYPE=0\r\nRESUME=1\r\n", false},
      {"far past without repeat",
       L"TIMER_LOOP=0\r\n" + alarmTimeSection(SYSTEMTIME{1975, 1, 0, 1, 0, 0, 0, 0}) + L"[TIMER]\r\nTYPE=1\r\nRESUME=1\r\n", false},
      {"far past, huge repeat count",
       L"TIMER_LOOP=1\r\n[TIMER_SETTING]\r\nSEC=1\r\n" +
           alarmTimeSection(SYSTEMTIME{1975, 1, 0, 1, 0, 0, 0, 0}) + L"[TIMER]\r\nTYPE=1\r\nLOOP_CNT=2000000000\r\nRESUME=1\r\n",
       false},
      {"saved step beyond the program file",
       L"[PROGRAM_TIMER]\r\nLOOP=1\r\nSTEP=7\r\n" + alarmTimeSection(localAt(now - 1000)) +
           L"[TIMER]\r\nTYPE=2\r\nRESUME=1\r\n", true},
      {"program timer without a file",
       L"[PROGRAM_TIMER]\r\nNO=4\r\nLOOP=1\r\n" + alarmTimeSection(localAt(now - 1000)) + L"[TIMER]\r\nTYPE=2\r\nRESUME=1\r\n",
       false},
  };
  for (const Case& c : cases) {
    VelmoraProcess app;
    ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nALARM_PLAY=1\r\n" + c.settings)) << c.what;
    if (c.twoStepProgram) {
      ASSERT_TRUE(app.writeUtf16File(user + L"_program_timer_0.txt", L"1000\r\n1000\r\n"));
    }
    ASSERT_TRUE(app.start()) << c.what << ": " << app.lastError();
    EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"RESUME", -1) == 0; }, 3000)) << c.what;
    Sleep(300);
    EXPECT_TRUE(app.running()) << c.what;
    EXPECT_EQ(app.title(), L"Velmora") << c.what;
    EXPECT_TRUE(app.dialogs().empty()) << c.what;
    EXPECT_TRUE(app.close()) << c.what;
  }
}

// Runs with TZ=Australia/Sydney (ctest sets it), where daylight saving is in effect in December.
TEST(DaylightSavingE2E, StoredEndsAreLocalEndsAndAResumedCountdownEndsWhenFirstPlanned) {
  TIME_ZONE_INFORMATION zone;
  ASSERT_EQ(GetTimeZoneInformation(&zone), (DWORD)TIME_ZONE_ID_DAYLIGHT) << "run it in a zone on daylight saving time";
  const long long hour = 3600000;
  VelmoraProcess app;
  ASSERT_TRUE(app.writeSettings(kQuiet));
  // A 1-hour count-down stores its end as the local time one hour on.
  const long long before = nowMs();
  ASSERT_TRUE(app.start(L"3600")) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kIntervalTitle)) << app.title();
  ASSERT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"RESUME") == 1; }, 3000));
  const long long stored = localMs(savedEnd(app));
  std::printf("[ measured ] 1-hour count-down: ALARM_TIME %+lld ms from the start time + 1 h\n", stored - (before + hour));
  EXPECT_GE(stored, before + hour);
  EXPECT_LE(stored, nowMs() + hour);
  app.killHard();

  // A short count-down, killed and restarted, ends when first planned.
  ASSERT_TRUE(app.restart(L"6")) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kIntervalTitle)) << app.title();
  ASSERT_TRUE(e2e::waitFor([&] { return localMs(savedEnd(app)) < stored - hour / 2; }, 3000));
  const long long plannedEnd = localMs(savedEnd(app));
  EXPECT_NEAR(double(plannedEnd - nowMs()), 5500.0, 1000.0);
  Sleep(2000);
  app.killHard();
  ASSERT_TRUE(app.restart()) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kIntervalTitle, 2000)) << app.title();
  const long long seen = whenTitleLeaves(app, kIntervalTitle, 9000);
  ASSERT_NE(seen, 0) << "still running: " << app.title();
  const long long error = seen - plannedEnd;
  std::printf("[ measured ] resumed end %+lld ms from the planned moment\n", error);
  EXPECT_GE(error, -60);
  EXPECT_LE(error, 400);
  EXPECT_TRUE(app.close());
}

}  // namespace

namespace {

TEST(ResumeE2E, ACountdownOnTheCommandLineWinsOverTheStoredRun) {
  VelmoraProcess app;
  // A time-of-day timer an hour ahead was running at the last exit.
  SYSTEMTIME end = localAt(nowMs() + 3600000);
  ASSERT_TRUE(app.writeSettings(std::wstring(kQuiet) + alarmTimeSection(end) +
                                L"[TIMER]\r\nTYPE=0\r\nLOOP_CNT=0\r\nRESUME=1\r\n"));
  ASSERT_TRUE(app.start(L"90")) << app.lastError();
  ASSERT_TRUE(app.waitForTitle(kIntervalTitle, 3000)) << app.title();
  EXPECT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"TYPE", -1) == 1; }, 3000));
  // The new run's end, 90 s from now, replaced the stored one.
  const long long left = localMs(savedEnd(app)) - nowMs();
  EXPECT_GT(left, 85000);
  EXPECT_LT(left, 91000);
  app.killHard();
}

TEST(ResumeE2E, ARepeatingCommandLineLengthKeepsItsLengthAfterARestart) {
  VelmoraProcess app;
  // The interval dialog's length is 0:00:00, which would end the series at its next repeat.
  ASSERT_TRUE(app.writeSettings(std::wstring(kQuiet) + L"TIMER_LOOP=1\r\n[TIMER_SETTING]\r\nHOUR=0\r\nMIN=0\r\nSEC=0\r\n"));
  ASSERT_TRUE(app.start(L"0m 6s")) << app.lastError();  // two arguments, as people type them
  ASSERT_TRUE(e2e::waitFor([&] { return app.iniInt(L"TIMER", L"RESUME") == 1; }, 10000));
  app.killHard();
  const int passes = app.iniInt(L"ALARM_TIME", L"LOOP_CNT");
  ASSERT_TRUE(app.restart()) << app.lastError();
  // The resumed pass (or one caught up) ends and the next one runs for 6 s again.
  ASSERT_TRUE(e2e::waitFor([&] { return app.iniInt(L"ALARM_TIME", L"LOOP_CNT") > passes; }, 15000)) << app.title();
  const long long left = localMs(savedEnd(app)) - nowMs();
  EXPECT_GT(left, 0);
  EXPECT_LE(left, 6100);
  EXPECT_TRUE(app.waitForTitle(kIntervalTitle)) << app.title();
  EXPECT_EQ(app.iniString(L"TIMER_SETTING", L"SEC"), L"0") << "the command line is not a new setting";
  app.killHard();
}

}  // namespace
