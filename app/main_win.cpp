#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "app/cmdline.h"
#include "app/firstrun.h"
#include "app/keys.h"
#include "app/layout.h"
#include "app/state.h"
#include "app/window_win.h"
#include "base/files.h"
#include "base/text.h"
#include "countdown/engine.h"
#include "countdown/shell.h"
#include "display/geometry.h"
#include "display/paint_win.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "settings/extras.h"
#include "settings/record.h"
#include "settings/store.h"

namespace app {

const char kClassName[] = "DovOdiz";
const char kTitle[] = "Tiv";
const char kVersionTip[] = TIV_NAME_VERSION;

HICON smallIcon;
HICON classIcon;

void prepareFolders() {
    // The running file itself: a renamed copy must not find another Tiv.exe
    // on the search path and keep its settings there.
    char found[settings::kFolderSize] = "";
    DWORD n = GetModuleFileNameA(nullptr, found, sizeof found);
    if (n == 0 || n >= sizeof found) found[0] = '\0';
    text::copy(found, settings::store.programFolder);
    text::pathFolder(settings::store.programFolder);
    text::copy(settings::store.programFolder, settings::store.dataFolder);

    char root[4];
    text::copyBounded(root, settings::store.programFolder, sizeof root);
    char marker[settings::kFolderSize];
    text::joinPath(marker, sizeof marker, settings::store.programFolder, "DefSet.txt");
    if (GetDriveTypeA(root) == DRIVE_REMOVABLE) return;
    if (!files::canOpen(marker, files::Sharing::Read)) return;

    char appData[MAX_PATH] = "";
    if (!SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, FALSE)) return;
    text::copy(appData, settings::store.dataFolder);
    text::append(settings::store.dataFolder, "\\Velket");
    CreateDirectoryA(settings::store.dataFolder, nullptr);
    text::append(settings::store.dataFolder, "\\Tiv");
    CreateDirectoryA(settings::store.dataFolder, nullptr);
    text::append(settings::store.dataFolder, "\\");
}

bool decideLayered() {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
    return GetVersionExA(&v) && layeredFor(v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion);
}

HICON loadSmallIcon() {
    int size = display::scaled(16);
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_TIV_SMALL), IMAGE_ICON, size, size, 0));
}

static bool registerClass() {
    smallIcon = loadSmallIcon();
    WNDCLASSA existing;
    if (GetClassInfoA(instance, kClassName, &existing)) return true;  // a second window in tests
    classIcon = smallIcon;
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_BYTEALIGNWINDOW;
    wc.lpfnWndProc = mainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = smallIcon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0;
}

// Keys are looked at before any window sees them, whichever control has
// the focus.
static bool handleKey(const MSG& msg) {
    KeyBinding key = keyBinding(static_cast<uint32_t>(msg.wParam));
    switch (key.action) {
    case KeyAction::Command: PostMessageA(mainWindow, WM_COMMAND, key.command, 0); return true;
    case KeyAction::LeftClick: PostMessageA(mainWindow, WM_LBUTTONUP, 0, 0); return true;
    case KeyAction::RightClick: PostMessageA(mainWindow, WM_RBUTTONUP, 0, 0); return true;
    case KeyAction::PreviousTimer:
    case KeyAction::NextTimer: {
        countdown::state.shownTimer = key.action == KeyAction::PreviousTimer ? previousTimer() : nextTimer();
        shell::invalidate(false);
        refreshStartStopCaption();
        countdown::reportProgress();
        return true;
    }
    default: return false;
    }
}

// Windows only sends these, with a pointer in lParam, on the receiving
// window's thread; a posted copy was made by some other program. Dropped
// before any loop of this thread dispatches it: the options sheet's and the
// dialogs' as well as our own.
static LRESULT CALLBACK dropPostedPointers(int code, WPARAM removal, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && (msg->message == WM_NOTIFY || msg->message == kMsgDpiChanged)) msg->message = WM_NULL;
    return CallNextHookEx(nullptr, code, removal, lParam);
}

static void filterPostedPointers() {
    static DWORD filtered;   // the thread whose queue is filtered
    if (filtered == GetCurrentThreadId()) return;
    if (SetWindowsHookExA(WH_GETMESSAGE, dropPostedPointers, nullptr, GetCurrentThreadId()))
        filtered = GetCurrentThreadId();
}

bool openMainWindow() {
    filterPostedPointers();
    state.layeredSupported = decideLayered();
    // Until the window exists and knows its monitor, the screen's scale.
    display::view.dpi = platform::systemDpi();
    if (!registerClass()) return false;
    HWND window = CreateWindowExA(0, kClassName, kTitle,
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                                      WS_MAXIMIZEBOX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, defaultWidth(), defaultHeight(), nullptr, nullptr,
                                  instance, nullptr);
    if (!window) return false;
    if (settings::record.transparent && state.layeredSupported) makeLayered(settings::record.alpha);
    ShowWindow(window, SW_SHOWNORMAL);
    applyOnTop(settings::record.topmost);
    return true;
}

bool startUp(HINSTANCE module, const char* commandLine) {
    instance = module;
    mainThreadId = GetCurrentThreadId();
    prepareFolders();
    if (settings::load() == settings::LoadAction::FirstRun) askFirstRunQuestions();
    settings::loadExtras();
    InitCommonControls();
    if (!openMainWindow()) return false;
    registerHotkeys();
    settings::Record& r = settings::record;
    r.hours = r.minutes = r.seconds = 0;
    readOptions(commandLine);
    if (r.hours || r.minutes || r.seconds) writeTimeFields();
    rebuildSystemMenu();
    return true;
}

bool preTranslate(MSG& msg) {
    if (msg.message == WM_KEYDOWN && handleKey(msg)) return true;
    return IsDialogMessageA(mainWindow, &msg) != 0;
}

void startCom() {
    if (!state.comStarted) state.comStarted = SUCCEEDED(CoInitialize(nullptr));
}

void endCom() {
    if (state.comStarted) CoUninitialize();
    state.comStarted = false;
}

int runMessageLoop() {
    // Windows hands the first ShowWindow the starter's show command (a shortcut
    // set to minimised, start /min); this second one decides the first state.
    ShowWindow(mainWindow, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (preTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    display::dropBackBuffer();
    releaseTaskbar();
    endCom();
    countdown::stopKeepingAwake();
    return static_cast<int>(msg.wParam);
}

}  // namespace app

