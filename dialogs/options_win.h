// The options sheet, its three pages and the quick picker.
#pragma once
#include <windows.h>

namespace dialogs {

// Command 1006: the simple-mode question, the sheet, the save.
void openOptionsSheet();

// Page procedures, in tab order: "定时器" (template 1028), "快速设置" (1027),
// "选项" (1007), then "更多".
INT_PTR CALLBACK timerPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK quickSettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK optionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// "更多" (1030): global hotkeys and counting on past zero, kept in dTiv.ini.
INT_PTR CALLBACK morePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// Whether a page's WM_NOTIFY points at a header in this process: the system's
// always does, a copy another program sends may point anywhere.
bool notifiedHere(LPARAM lParam);

// The left click's box of twelve presets (template 1006), opened near the
// cursor; a pick loads (and may start) the shown timer.
void showQuickPicker();

}  // namespace dialogs
