// The ids the resource script shares with the program: menu commands, templates and
// dialog controls. Read by C++ and by the resource compiler, which takes only the
// #define lines, as the platform's own does.
#pragma once

// Menu bar: the menu, the bar's template, its drop-down buttons and their labels.
#define IDR_MENU 100
#define IDR_MENU_BAR 116
#define CMD_NEW_GAME 101
#define CMD_END_GAME 102
#define CMD_ABOUT 103
#define CMD_OPTIONS 104
#define CMD_UNDO 106
#define CMD_STATISTICS 107
#define CMD_GAME_MENU 112
#define IDS_GAME_MENU 113
#define CMD_INFO_MENU 114
#define IDS_INFO_MENU 115

// Your Score.
#define DLG_YOUR_SCORE 1000
#define IDC_YOUR_NEW_GAME 1001
#define IDC_YOUR_GAME_SCORE 1002
#define IDC_YOUR_BONUS 1003
#define IDC_YOUR_TOTAL 1004
#define IDC_YOUR_AVERAGE 1005
#define IDC_YOUR_GAMES 1006

// High Score.
#define DLG_HIGH_SCORE 1010
#define IDC_HIGH_NEW_GAME 1011
#define IDC_HIGH_GAME_SCORE 1012
#define IDC_HIGH_BONUS 1013
#define IDC_HIGH_TOTAL 1014
#define IDC_HIGH_AVERAGE 1015
#define IDC_HIGH_GAMES 1016

// Guest Score.
#define DLG_GUEST_SCORE 1080
#define IDC_GUEST_NEW_GAME 1081
#define IDC_GUEST_GAME_SCORE 1082
#define IDC_GUEST_BONUS 1083
#define IDC_GUEST_TOTAL 1084

#define DLG_ABOUT 1020

// Options.
#define DLG_OPTIONS 1040
#define IDC_PLAY_SOUNDS 1041
#define IDC_STARTUP_DEMO 1042
#define IDC_CONFIRM_END 1043
#define IDC_GUEST_MODE 1044
#define IDC_GAME_STYLE 1046
#define IDC_DECIMAL_AVERAGES 1047
#define IDC_BUBBLE_SET 1048

// Statistics: style i, column c (games, average, high) is IDC_STANDARD_GAMES + 3i + c.
#define DLG_STATISTICS 1060
#define IDC_RESET 1061
#define IDC_STANDARD_GAMES 1062
#define IDC_STANDARD_AVERAGE 1063
#define IDC_STANDARD_HIGH 1064
#define IDC_CONTINUOUS_GAMES 1065
#define IDC_CONTINUOUS_AVERAGE 1066
#define IDC_CONTINUOUS_HIGH 1067
#define IDC_SHIFTER_GAMES 1068
#define IDC_SHIFTER_AVERAGE 1069
#define IDC_SHIFTER_HIGH 1070
#define IDC_MEGASHIFT_GAMES 1071
#define IDC_MEGASHIFT_AVERAGE 1072
#define IDC_MEGASHIFT_HIGH 1073
#define IDC_CODES 1077

// Score codes: style i shows in IDC_STANDARD_CODE + i.
#define DLG_SCORE_CODES 230
#define IDC_STANDARD_CODE 231
#define IDC_CONTINUOUS_CODE 232
#define IDC_SHIFTER_CODE 233
#define IDC_MEGASHIFT_CODE 234
