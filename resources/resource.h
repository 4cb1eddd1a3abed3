/* Resource and command ids shared by the .rc files and the C++ code. */
#ifndef TIV_RESOURCE_H
#define TIV_RESOURCE_H

/* The name and version as titles and tips show it */
#define TIV_NAME_VERSION       "Tiv 1.4"

/* Icons */
#define IDI_TIV_SMALL          500
#define IDI_TIV_LARGE          501

/* Dialog templates */
#define IDD_MESSAGEBOX         1005
#define IDD_QUICKPICK          1006
#define IDD_OPTIONS            1007
#define IDD_ABOUT              1025
#define IDD_QUICKSETTINGS      1027
#define IDD_TIMERPAGE          1028
#define IDD_MORE               1030

/* Main window controls (also their command ids) */
#define IDC_STARTSTOP          1000
#define IDC_HOURS              1001
#define IDC_MINUTES            1002
#define IDC_SECONDS            1003
#define IDC_RESET              1004
#define IDC_DAYS               1005
#define IDC_OPTIONS            1006
#define IDC_SHOWHELP               1007
#define IDC_ABOUT              1008
#define IDC_SIMPLE             1009
#define IDC_HOURS_SPIN         1101
#define IDC_MINUTES_SPIN       1102
#define IDC_SECONDS_SPIN       1103
#define IDC_DAYS_SPIN          1105

/* Message box controls */
#define IDC_MSG_LINE           600
#define IDC_MSG_LINE1          850
#define IDC_MSG_LINE2          851
#define IDC_MSG_LINE3          852
#define IDC_MSG_LINE4          853

/* About box controls */
#define IDC_ABOUT_NAME         1300
#define IDC_ABOUT_VERSION      1301
#define IDC_ABOUT_DESCRIPTION  1302
#define IDC_ABOUT_LIST         1303
#define IDC_ABOUT_TEXT         1304
#define IDC_ABOUT_OPENFOLDERS  1305

/* Timer page (template 1028): check boxes */
#define IDC_TP_FLASH           1005
#define IDC_TP_REPEAT          1012
#define IDC_TP_WARNINGS        1034

/* Edits and the interval's spin */
#define IDC_TP_SOUNDPATH       1008
#define IDC_TP_INTERVAL        1017
#define IDC_TP_INTERVAL_SPIN   1019
#define IDC_TP_FINISHTEXT      1021

/* Lists */
#define IDC_TP_AUTORESTART     1015
#define IDC_TP_TEXTSIZE        1033
#define IDC_TP_SOUNDTYPE       1100
#define IDC_TP_SLOT            1500

/* Buttons */
#define IDC_TP_SOUNDCHOOSE     1016
#define IDC_TP_TEST            1023
#define IDC_TP_FONTCHOOSE      1027
#define IDC_TP_BACKCHOOSE      1029
#define IDC_TP_TEXTCHOOSE      1032

/* The face of the slot's font */
#define IDC_TP_FONTNAME        1026

/* Quick settings page: the two switches */
#define IDC_QUICK_ONCLICK      1001
#define IDC_QUICK_AUTOSTART    1002

/* Quick settings page, row k (1..12): amount 1059 + 2k, unit 1060 + 2k,
   spin 1305 + k */
#define IDC_QUICK_VALUE1       1061
#define IDC_QUICK_UNIT1        1062
#define IDC_QUICK_VALUE2       1063
#define IDC_QUICK_UNIT2        1064
#define IDC_QUICK_VALUE3       1065
#define IDC_QUICK_UNIT3        1066
#define IDC_QUICK_VALUE4       1067
#define IDC_QUICK_UNIT4        1068
#define IDC_QUICK_VALUE5       1069
#define IDC_QUICK_UNIT5        1070
#define IDC_QUICK_VALUE6       1071
#define IDC_QUICK_UNIT6        1072
#define IDC_QUICK_VALUE7       1073
#define IDC_QUICK_UNIT7        1074
#define IDC_QUICK_VALUE8       1075
#define IDC_QUICK_UNIT8        1076
#define IDC_QUICK_VALUE9       1077
#define IDC_QUICK_UNIT9        1078
#define IDC_QUICK_VALUE10      1079
#define IDC_QUICK_UNIT10       1080
#define IDC_QUICK_VALUE11      1081
#define IDC_QUICK_UNIT11       1082
#define IDC_QUICK_VALUE12      1083
#define IDC_QUICK_UNIT12       1084
#define IDC_QUICK_SPIN1        1306
#define IDC_QUICK_SPIN2        1307
#define IDC_QUICK_SPIN3        1308
#define IDC_QUICK_SPIN4        1309
#define IDC_QUICK_SPIN5        1310
#define IDC_QUICK_SPIN6        1311
#define IDC_QUICK_SPIN7        1312
#define IDC_QUICK_SPIN8        1313
#define IDC_QUICK_SPIN9        1314
#define IDC_QUICK_SPIN10       1315
#define IDC_QUICK_SPIN11       1316
#define IDC_QUICK_SPIN12       1317

/* Quick picker: entry k (1..12) is 1200 + k; "取消" is IDCANCEL */
#define IDC_QUICK_PICK1        1201
#define IDC_QUICK_PICK2        1202
#define IDC_QUICK_PICK3        1203
#define IDC_QUICK_PICK4        1204
#define IDC_QUICK_PICK5        1205
#define IDC_QUICK_PICK6        1206
#define IDC_QUICK_PICK7        1207
#define IDC_QUICK_PICK8        1208
#define IDC_QUICK_PICK9        1209
#define IDC_QUICK_PICK10       1210
#define IDC_QUICK_PICK11       1211
#define IDC_QUICK_PICK12       1212

/* Options page (template 1007) */
#define IDC_OPT_HELP               9
#define IDC_OPT_RESET              10
#define IDC_OPT_WORDS              11
#define IDC_OPT_CUSTOM_BASE        1000
#define IDC_OPT_CUSTOM_BASE_SPIN   1001
#define IDC_OPT_SIMPLE             1002
#define IDC_OPT_MINIMIZEONSTART    1003
#define IDC_OPT_CUSTOM_MAX_SPIN    1004
#define IDC_OPT_PERCENT_SPIN       1005
#define IDC_OPT_HIDEBUTTONS        1006
#define IDC_OPT_REMEMBERPOSITION   1007
#define IDC_OPT_TOPMOST            1009
#define IDC_OPT_REMEMBERTIME       1010
#define IDC_OPT_AUTORESET          1011
#define IDC_OPT_PERCENT            1013
#define IDC_OPT_MINIMIZETOTRAY     1020
#define IDC_OPT_SHOWWINDOW         1022
#define IDC_OPT_FINISHTOPMOST      1024
#define IDC_OPT_CUSTOM_MAX         1042
#define IDC_OPT_MENU_TIMERS        1400
#define IDC_OPT_MENU_DAYS          1401
#define IDC_OPT_MENU_TOPMOST       1402
#define IDC_OPT_MENU_TRANSPARENT   1403
#define IDC_OPT_MENU_HIDEBUTTONS   1404
#define IDC_OPT_MENU_SECONDS       1405
#define IDC_OPT_MENU_MUTE          1406
#define IDC_OPT_MENU_CUSTOM        1407
#define IDC_OPT_MENU_TEXT          1408
#define IDC_OPT_MENU_SOUND         1409

/* "更多" page (template 1030): a hotkey control and a status per action,
   in the order of settings::HotkeyAction, then a check box per timer */
#define IDC_MORE_HOTKEY        1600
#define IDC_MORE_STATUS        1610
#define IDC_MORE_OVERTIME      1620

/* Menu and internal commands */
#define CMD_HIDEBUTTONS        2005
#define CMD_TOPMOST            2008
#define CMD_MUTE               2009
#define CMD_ENDSOUND           2010
#define CMD_TRANSPARENT        2011
#define CMD_EXIT               2012
#define CMD_NOSECONDS          2013
#define CMD_CUSTOMTIME         2014
#define CMD_STARTALL           2015
#define CMD_STOPALL            2016
#define CMD_DAYS_NONE          2020
#define CMD_DAYS_LARGE         2021
#define CMD_DAYS_ALWAYS        2022
#define CMD_TIMERS_1           2030
#define CMD_TIMERS_2           2031
#define CMD_TIMERS_3           2032
#define CMD_TIMERS_4           2033
#define CMD_TEXT_FIRST         2101
#define CMD_TEXT_LAST          2299
#define CMD_SOUND_FIRST        2301
#define CMD_SOUND_LAST         2399

/* System menu items */
#define SYS_STARTSTOP          1
#define SYS_RESET              3
#define SYS_SIMPLE             1009

/* Private messages of the main window */
#define MSG_TRAY               1029

/* Main window timers */
#define TIMER_TICK             1
#define TIMER_REPEAT           2
#define TIMER_STARTUP          3

#endif
