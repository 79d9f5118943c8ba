#pragma once
// ---- Dialog 205: background image
#define IDC_BG_ENABLE 1020
#define IDC_BG_FILE   1021
#define IDC_BG_BROWSE 1022
// ---- Dialog 206: transparency
#define IDC_ALPHA_ENABLE    1023
#define IDC_ALPHA_VALUE     1024
#define IDC_ALPHA_SPIN      1025
#define IDC_IMAGE_KEY_ENABLE 1026
#define IDC_IMAGE_KEY_R      1027
#define IDC_IMAGE_KEY_R_SPIN 1028
#define IDC_IMAGE_KEY_G      1029
#define IDC_IMAGE_KEY_G_SPIN 1030
#define IDC_IMAGE_KEY_B      1031
#define IDC_IMAGE_KEY_B_SPIN 1032
// ---- Dialog 207: aspect ratios for the one-row / two-row switch
#define IDC_DHMS_W      1033
#define IDC_DHMS_W_SPIN 1034
#define IDC_DHMS_H      1035
#define IDC_DHMS_H_SPIN 1036
#define IDC_HMS_W       1037
#define IDC_HMS_W_SPIN  1038
#define IDC_HMS_H       1039
#define IDC_HMS_H_SPIN  1040
