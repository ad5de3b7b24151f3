// Resource identifiers. The numbers are fixed: settings files, tests and the
// dialog code depend on them.
#pragma once

// Dialog templates
#define IDD_MAIN 101
#define IDD_OPTIONS 109
#define IDD_ABOUT 110

// Menu and accelerators
#define IDR_MAIN_MENU 103
#define IDR_ACCELERATORS 104

// Icon
#define IDI_APP 111

// Strings 102-138
#define IDS_ERROR_CAPTION 102
#define IDS_CANNOT_CREATE_DIALOG 103
#define IDS_LISTING_FONT_FACE 104
#define IDS_LABEL_PART 106
#define IDS_LABEL_CHANNEL 107
#define IDS_FILTER_SMF 108
#define IDS_UNEXPECTED_ERROR 109
#define IDS_FILTER_TEXT 110
#define IDS_FILTER_BINARY 111
#define IDS_WARNING_CAPTION 112
#define IDS_CONFIRM_OVERWRITE_PRESET 113
#define IDS_CONFIRM_DELETE_PRESET 114
#define IDS_TITLE_SAVE_SMF 115
#define IDS_TITLE_SAVE_BINARY 116
#define IDS_TITLE_SAVE_TEXT 117
#define IDS_WEB_ADDRESS 118
#define IDS_MAIL_ADDRESS 119
#define IDS_VERSION_KEY_DESCRIPTION 134
#define IDS_VERSION_KEY_COPYRIGHT 135
#define IDS_VERSION_KEY_COMMENTS 136
#define IDS_CONFIRM_OPEN_WEB 137
#define IDS_CONFIRM_CAPTION 138

// Main dialog controls
#define IDC_PRESET_COMBO 1037
#define IDC_PRESET_SAVE 1038
#define IDC_PRESET_DELETE 1039
#define IDC_OFFSET_FIRST 1001  // C; 1001 + k for pitch class k
#define IDC_OFFSET_LAST 1012   // B
#define IDC_OFFSET_SPIN_FIRST 1013  // up-down of edit 1001 + k is 1013 + k
#define IDC_SAVE_SMF 1041
#define IDC_SAVE_TEXT 1042
#define IDC_CHECK_ALL 1043
#define IDC_FORMAT_COMBO 1044
#define IDC_SAVE_BINARY 1045
#define IDC_UNCHECK_ALL 1046
#define IDC_PART_LABEL 1048
#define IDC_PART_FIRST 1052  // box n (0-15) is 1052 + n
#define IDC_PART_LAST 1067
#define IDC_SYSEX_EDIT 1068

// Options dialog controls
#define IDC_DIVISION_EDIT 1070
#define IDC_DELTA_EDIT 1071
#define IDC_DIVISION_SPIN 1072
#define IDC_DELTA_SPIN 1073
#define IDC_RESET_DEFAULTS 3

// About dialog controls
#define IDC_ABOUT_MAIL 1001
#define IDC_ABOUT_WEB 1002
#define IDC_ABOUT_REVEAL 1003
#define IDC_ABOUT_PATH 1005
#define IDC_ABOUT_DESCRIPTION 134
#define IDC_ABOUT_COPYRIGHT 135
#define IDC_ABOUT_COMMENTS 136

// Menu commands, also sent by the accelerators
#define IDM_EXIT 40004
#define IDM_SAVE_SMF 40007
#define IDM_SAVE_BINARY 40008
#define IDM_SAVE_TEXT 40010
#define IDM_ABOUT 40014
#define IDM_MANUAL 40028
#define IDM_OPTIONS 40030
