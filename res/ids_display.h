#pragma once
// ---- Dialog 205: background image
#define IDC_BG_ENABLE 1020
#define IDC_BG_FILE   1021
#define IDC_BG_BROWSE 1022
