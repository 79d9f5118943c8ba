#pragma once
// ---- Dialog 202: time-of-day timer
#define IDC_TOD_YEAR        1005
#define IDC_TOD_YEAR_SPIN   1006
#define IDC_TOD_MONTH       1007
#define IDC_TOD_DAY         1008
#define IDC_TOD_HOUR        1009
#define IDC_TOD_MINUTE      1010
#define IDC_TOD_SECOND      1011
// ---- Dialog 203: auto-close grace time
#define IDC_AUTO_CLOSE_SEC      1058
#define IDC_AUTO_CLOSE_SEC_SPIN 1059
