#pragma once
// ---- Dialog 209: rename a program timer
#define IDC_RENAME_EDIT 1045
// ---- Dialog 210: program timer editor (the list view is created at run time with id 1)
#define IDC_PROGRAM_LIST   1
#define IDC_PROGRAM_UP     1046
#define IDC_PROGRAM_DOWN   1047
#define IDC_PROGRAM_EDIT   1048
#define IDC_PROGRAM_ADD    1049
#define IDC_PROGRAM_INSERT 1050
#define IDC_PROGRAM_DELETE 1051
#define IDC_PROGRAM_APPLY  1052
// ---- Dialog 211: program step editor
#define IDC_STEP_REPEAT      1044
#define IDC_STEP_WAIT        1053
#define IDC_STEP_WAIT_SPIN   1054
#define IDC_STEP_SOUND       1055
#define IDC_STEP_BROWSE      1056
#define IDC_STEP_MESSAGE     1057
