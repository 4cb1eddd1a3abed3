/* Resource and command ids shared by the .rc files and the C++ code. */
#ifndef TIV_RESOURCE_H
#define TIV_RESOURCE_H

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
