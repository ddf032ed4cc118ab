// Identifiers of every resource and control of the program, grouped by kind.
// Shared by the resource script and the code; keep it free of anything windres cannot read.
#ifndef SKITTERA_RESOURCE_H
#define SKITTERA_RESOURCE_H

// Icon
#define IDI_SKITTERA 101

// Bitmaps
#define IDB_SPLASH 102
#define IDB_FIGURE 105 // the figure in the dialog's lower left; not the dialog, which shares the number
// The drums: a digit's picture is IDB_DIGIT_0 + digit.
#define IDB_DIGIT_0 107
#define IDB_DIGIT_1 108
#define IDB_DIGIT_2 109
#define IDB_DIGIT_3 110
#define IDB_DIGIT_4 111
#define IDB_DIGIT_5 112
#define IDB_DIGIT_6 113
#define IDB_DIGIT_7 114
#define IDB_DIGIT_8 115
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
#ifndef IDC_STATIC
#define IDC_STATIC (-1) // labels, frames and pictures the code never addresses
#endif
#define IDC_RESET 1000
#define IDC_UNIT_CM 1001
#define IDC_UNIT_M 1002
#define IDC_UNIT_KM 1003
#define IDC_CLOSE_ALT 1004 // closes like "Chiudi"; no control carries it
// The distance drums, left to right; the code reaches cell n as IDC_DISTANCE_CELL_FIRST + n.
#define IDC_DISTANCE_CELL_0 1005
#define IDC_DISTANCE_CELL_1 1006
#define IDC_DISTANCE_CELL_2 1007
#define IDC_DISTANCE_CELL_3 1008
#define IDC_DISTANCE_CELL_4 1009
#define IDC_DISTANCE_CELL_5 1010
#define IDC_DISTANCE_CELL_6 1011
#define IDC_DISTANCE_CELL_7 1012
#define IDC_DISTANCE_CELL_8 1013
#define IDC_DISTANCE_CELL_9 1014
#define IDC_DISTANCE_CELL_FIRST IDC_DISTANCE_CELL_0
#define IDC_RUN_AT_LOGON 1015
// The highest-speed drums, left to right, reached as IDC_SPEED_CELL_FIRST + n.
#define IDC_SPEED_CELL_0 1023
#define IDC_SPEED_CELL_1 1024
#define IDC_SPEED_CELL_2 1025
#define IDC_SPEED_CELL_3 1026
#define IDC_SPEED_CELL_4 1027
#define IDC_SPEED_CELL_5 1028
#define IDC_SPEED_CELL_FIRST IDC_SPEED_CELL_0
#define IDC_SINCE_DATE 1037
#define IDC_UNIT_LABEL 1039
#define IDC_GAUGE_FRAME 1041
#define IDC_CURRENT_SPEED 1042
#define IDC_AVERAGE_SPEED 1043
#define IDC_HISTORY 1044 // "Storico...": opens the history window

// The history window and its controls
#define IDD_HISTORY 106
#define IDC_HISTORY_DAYS 1050
#define IDC_HISTORY_WEEKS 1051
#define IDC_HISTORY_MONTHS 1052
#define IDC_HISTORY_CHART 1053
#define IDC_HISTORY_SELECTED 1054 // the line under the chart
#define IDC_HISTORY_TODAY 1055
#define IDC_HISTORY_YESTERDAY 1056
#define IDC_HISTORY_THIS_WEEK 1057
#define IDC_HISTORY_THIS_MONTH 1058
#define IDC_HISTORY_RECORD_DATE 1059
#define IDC_HISTORY_RECORD_DISTANCE 1060
#define IDC_HISTORY_EXPORT 1061
#define IDC_HISTORY_IMPORT 1062

// The question of "Importa..." about the days the record already holds.
#define IDD_IMPORT_QUESTION 107 // a dialog: not the digit picture that shares the number
#define IDC_IMPORT_QUESTION 1070
#define IDC_IMPORT_SUM 1071
#define IDC_IMPORT_KEEP 1072

#endif
