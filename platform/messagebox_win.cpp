// The message box dialog (template 1005) and the gate that lets one box open
// at a time.
#include <windows.h>

#include <atomic>

#include "platform/messagebox.h"
#include "platform/window_win.h"
#include "resources/resource.h"

namespace platform {

namespace {

constexpr UINT_PTR kAutoCloseTimer = 2;
constexpr UINT_PTR kFocusTimer = 3;
constexpr UINT kFocusDelayMs = 100;

// Shared by the main thread and the alarm threads: 1 while a box is open.
std::atomic<uint32_t> boxHeld;
// The open box's request; written only by the thread that holds the gate.
MessageRequest shown;

void close(HWND box, uint32_t result) { EndDialog(box, static_cast<INT_PTR>(result)); }

void onInit(HWND box) {
    if (shown.topmost)
        SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (shown.style == kStyleOkCancel) ShowWindow(GetDlgItem(box, IDCANCEL), SW_SHOW);
    const int lines[4] = {IDC_MSG_LINE1, IDC_MSG_LINE2, IDC_MSG_LINE3, IDC_MSG_LINE4};
    for (int i = 0; i < 4; ++i) SetDlgItemTextA(box, lines[i], shown.lines[i] ? shown.lines[i] : "");
    if (shown.autoCloseSeconds != 0) SetTimer(box, kAutoCloseTimer, shown.autoCloseSeconds * 1000, nullptr);
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

void takeTurn() {
    bool mainThread = GetCurrentThreadId() == mainThreadId;
    while (boxHeld.exchange(1) != 0) {
        if (mainThread) waitPumping();
        else Sleep(50);
    }
}

}  // namespace

uint32_t showMessageBox(const MessageRequest& request) {
    takeTurn();
    shown = request;
    HWND owner = request.ownedByMainWindow ? mainWindow : nullptr;
    INT_PTR answer = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MESSAGEBOX), owner, boxProc, 0);
    boxHeld = 0;
    // A box that never opened (-1, or 0 for an owner that is gone) must not
    // count as an answer.
    if (answer == static_cast<INT_PTR>(kResultOk) || answer == static_cast<INT_PTR>(kResultCancel))
        return static_cast<uint32_t>(answer);
    return kResultNone;
}

}  // namespace platform
