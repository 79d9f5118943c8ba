#pragma once
// ---- Dialog 201: interval timer setting
#define IDC_INTERVAL_HOURS      1001
#define IDC_INTERVAL_HOURS_SPIN 1002
#define IDC_INTERVAL_MINUTES    1003
#define IDC_INTERVAL_SECONDS    1004
// ---- Dialog 208: alarm sound
#define IDC_ALARM_PLAY   1041
#define IDC_ALARM_FILE   1042
#define IDC_ALARM_BROWSE 1043
#define IDC_ALARM_LOOP   1044
