// The message box dialog (template 1005) and the gate that lets only one
// box use the request at a time.
#include <windows.h>

#include <atomic>

#include "platform/messagebox.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "platform/window_win.h"

namespace dialogs {

namespace {

using namespace platform;

constexpr UINT_PTR kAutoCloseTimer = 2;
constexpr UINT_PTR kFocusTimer = 3;
constexpr UINT kFocusDelayMs = 100;

std::atomic<uint32_t> boxHeld;

void close(HWND box, uint32_t result) {
    messageResult = result;
    resetMessageRequest();
    EndDialog(box, 0);
}

void onInit(HWND box) {
    messageResult = kResultNone;
    if (messageTopmost)
        SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (messageStyle == kStyleOkCancel) ShowWindow(GetDlgItem(box, IDCANCEL), SW_SHOW);
    const int lines[4] = {IDC_MSG_LINE1, IDC_MSG_LINE2, IDC_MSG_LINE3, IDC_MSG_LINE4};
    for (int i = 0; i < 4; ++i) SetDlgItemTextA(box, lines[i], messageLines[i] ? messageLines[i] : "");
    if (messageAutoCloseSeconds != 0) SetTimer(box, kAutoCloseTimer, messageAutoCloseSeconds * 1000, nullptr);
    SetTimer(box, kFocusTimer, kFocusDelayMs, nullptr);
}

INT_PTR CALLBACK boxProc(HWND box, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        onInit(box);
        return TRUE;
    case WM_TIMER:
        KillTimer(box, wParam);
        if (wParam == kFocusTimer) SetFocus(GetDlgItem(box, IDOK));
        else if (wParam == kAutoCloseTimer) close(box, kResultOk);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) close(box, kResultOk);
        else if (LOWORD(wParam) == IDCANCEL) close(box, kResultCancel);
        return TRUE;
    default:
        return FALSE;
    }
}

// The main thread must keep answering sent messages while it waits, since
// the box it waits for may be owned by the main window.
void waitPumping() {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

}  // namespace dialogs

namespace platform {

void acquireMessageBox() {
    bool mainThread = GetCurrentThreadId() == platform::mainThreadId;
    while (dialogs::boxHeld.exchange(1) != 0) {
        if (mainThread) dialogs::waitPumping();
        else Sleep(50);
    }
}

uint32_t showMessageBox(bool ownedByMainWindow) {
    HWND owner = ownedByMainWindow ? platform::mainWindow : nullptr;
    // A box that never opens must not answer with the last box's result.
    platform::messageResult = kResultNone;
    DialogBoxParamA(platform::instance, MAKEINTRESOURCEA(IDD_MESSAGEBOX), owner, dialogs::boxProc, 0);
    uint32_t result = platform::messageResult;
    platform::resetMessageRequest();
    dialogs::boxHeld = 0;
    return result;
}

}  // namespace platform
