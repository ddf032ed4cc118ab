// Identifiers of every resource and control of the program, grouped by kind.
// Shared by the resource script and the code; keep it free of anything windres cannot read.
#ifndef SKITTERA_RESOURCE_H
#define SKITTERA_RESOURCE_H

// Icon
#define IDI_SKITTERA 101

// Bitmaps
#define IDB_SPLASH 102
#define IDB_FIGURE 105 // the figure in the dialog's lower left; not the dialog, which shares the number
#define IDB_DIGIT_0 107 // 107 + digit, up to 116 for 9
#define IDB_DIGIT_9 116
#define IDB_DIGIT_BLANK 117
#define IDB_DIGIT_POINT 118
#define IDB_GAUGE_FACE 120
#define IDB_GAUGE_MASK 122
#define IDB_MENU_PROPERTIES 183
#define IDB_MENU_EXIT 184

// Menu and its commands
#define IDR_TRAYMENU 103
#define IDM_EXIT 40001
#define IDM_PROPERTIES 40002

// Dialog and its controls
#define IDD_PROPERTIES 105
#define IDC_RESET 1000
#define IDC_UNIT_CM 1001
#define IDC_UNIT_M 1002
#define IDC_UNIT_KM 1003
#define IDC_CLOSE_ALT 1004 // closes like "Chiudi"; no control carries it
#define IDC_DISTANCE_CELL_FIRST 1005 // ten cells, 1005 to 1014
#define IDC_RUN_AT_LOGON 1015
#define IDC_SPEED_CELL_FIRST 1023 // six cells, 1023 to 1028
#define IDC_SINCE_DATE 1037
#define IDC_UNIT_LABEL 1039
#define IDC_GAUGE_FRAME 1041
#define IDC_CURRENT_SPEED 1042
#define IDC_AVERAGE_SPEED 1043

#endif
