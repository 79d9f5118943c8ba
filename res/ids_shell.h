#pragma once
// ---- Dialog 200: version information
#define IDC_VERSION_LINK 1000
// ---- Dialog 204: options
#define IDC_OPT_ALWAYS_TRAY  1012
#define IDC_OPT_IN_TRAY      1013
#define IDC_OPT_HIDE_TASKBAR 1014
#define IDC_OPT_EXIT_CHECK   1015
#define IDC_OPT_START_END    1016
#define IDC_OPT_BALLOON      1017
#define IDC_OPT_WIN_SAVE     1018
#define IDC_OPT_JIKOKU_LOOP  1019
