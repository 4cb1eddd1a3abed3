// The About box: name, version, and where the program keeps its files.
#include <windows.h>
#include <shellapi.h>


#include "app/state.h"
#include "dialogs/about.h"
#include "platform/window_win.h"
#include "resources/resource.h"
#include "settings/store.h"

namespace {

const char* const kEntries[] = {"程序文件夹", "数据文件夹", "Windows 版本"};

// GetVersionExA says 6.2 on every later Windows to a program that lists no
// supported versions; ntdll's RtlGetVersion tells the truth.
bool trueVersion(OSVERSIONINFOW& v) {
    using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto get = ntdll ? reinterpret_cast<RtlGetVersion>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                     : nullptr;
    v = OSVERSIONINFOW{};
    v.dwOSVersionInfoSize = sizeof v;
    return get && get(&v) == 0;
}

void showWindowsVersion(HWND box) {
    OSVERSIONINFOW v;
    char text[1025] = "";  // wsprintfA writes at most 1024
    if (trueVersion(v)) {
        char servicePack[128] = "";
        WideCharToMultiByte(CP_ACP, 0, v.szCSDVersion, -1, servicePack, sizeof servicePack, nullptr, nullptr);
        const char* name = dialogs::windowsName(v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion, v.dwBuildNumber);
        wsprintfA(text, "%s\r\n版本 %lu.%lu, 内部版本号 %lu\r\n%s", name ? name : "Windows",
                  v.dwMajorVersion, v.dwMinorVersion, v.dwBuildNumber & 0xFFFF, servicePack);
    }
    SetDlgItemTextA(box, IDC_ABOUT_TEXT, text);
}

void showEntry(HWND box) {
    switch (SendDlgItemMessageA(box, IDC_ABOUT_LIST, LB_GETCURSEL, 0, 0)) {
    case 1: SetDlgItemTextA(box, IDC_ABOUT_TEXT, settings::store.dataFolder); break;
    case 2: showWindowsVersion(box); break;
    default: SetDlgItemTextA(box, IDC_ABOUT_TEXT, settings::store.programFolder); break;
    }
}

void openFolders() {
    ShellExecuteA(platform::mainWindow, nullptr, settings::store.programFolder, nullptr, nullptr, SW_SHOWNORMAL);
    if (lstrcmpiA(settings::store.programFolder, settings::store.dataFolder) != 0)
        ShellExecuteA(platform::mainWindow, nullptr, settings::store.dataFolder, nullptr, nullptr, SW_SHOWNORMAL);
}

INT_PTR CALLBACK aboutProc(HWND box, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        for (const char* entry : kEntries)
            SendDlgItemMessageA(box, IDC_ABOUT_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        SendDlgItemMessageA(box, IDC_ABOUT_LIST, LB_SETCURSEL, 0, 0);
        showEntry(box);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_ABOUT_LIST:
            if (HIWORD(wParam) == LBN_SELCHANGE) showEntry(box);
            return TRUE;
        case IDC_ABOUT_OPENFOLDERS: openFolders(); return TRUE;
        case IDOK:
        case IDCANCEL: EndDialog(box, 0); return TRUE;
        default: return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace

namespace dialogs {

void showAbout() {
    app::state.aboutOpen = true;
    DialogBoxParamA(platform::instance, MAKEINTRESOURCEA(IDD_ABOUT), platform::mainWindow, aboutProc, 0);
    app::state.aboutOpen = false;
}

}  // namespace dialogs
