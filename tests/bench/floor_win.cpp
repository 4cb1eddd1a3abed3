#include "floor.h"

#if TIV_FLOOR_CONTROLS
#include <commctrl.h>
#endif

namespace floorbench {

namespace {

DWORD started;
int shown = -1;

int remainingSeconds() {
    int left = 300 - static_cast<int>((GetTickCount() - started) / 1000);
    return left > 0 ? left : 0;
}

// Same size, colours and font as Tiv's first window, so both draw the same amount.
void paint(HWND window) {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP buffer = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(memory, buffer);
    HBRUSH back = CreateSolidBrush(RGB(0, 0, 0));
    FillRect(memory, &client, back);
    DeleteObject(back);
    HFONT font = CreateFontA(client.bottom / 3, 0, 0, 0, 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                             "Times New Roman");
    HGDIOBJ oldFont = SelectObject(memory, font);
    SetBkColor(memory, RGB(0, 0, 0));
    SetTextColor(memory, RGB(255, 255, 255));
    char text[16];
    wsprintfA(text, "%02d:%02d", shown / 60, shown % 60);
    DrawTextA(memory, text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    BitBlt(screen, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldFont);
    DeleteObject(font);
    SelectObject(memory, oldBitmap);
    DeleteObject(buffer);
    DeleteDC(memory);
    EndPaint(window, &ps);
}

#if TIV_FLOOR_CONTROLS
void addControls(HWND window) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    InitCommonControls();
    const char* captions[6] = {"开始", "重置", "简易", "选项", "帮助", "关于"};
    for (int i = 0; i < 6; ++i)
        CreateWindowExA(0, "BUTTON", captions[i], WS_CHILD | WS_VISIBLE | WS_BORDER, 2 + i * 60, 2, 58, 24, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)), instance, nullptr);
    for (int i = 0; i < 4; ++i) {
        CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "0", WS_CHILD | WS_VISIBLE | ES_NUMBER, 2 + i * 60, 30, 40, 22,
                        window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(200 + i)), instance, nullptr);
        CreateWindowExA(0, UPDOWN_CLASSA, nullptr,
                        WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS |
                            UDS_HOTTRACK,
                        0, 0, 15, 22, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(300 + i)), instance,
                        nullptr);
    }
    CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, instance, nullptr);
}
#endif

LRESULT CALLBACK floorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        started = GetTickCount();
        shown = remainingSeconds();
        SetTimer(window, 1, 500, nullptr);
#if TIV_FLOOR_CONTROLS
        addControls(window);
#endif
        return 0;
    case WM_TIMER:
        if (remainingSeconds() != shown) {
            shown = remainingSeconds();
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    case WM_PAINT: paint(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

HWND openFloor(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = floorProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, kClassName, "Floor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 135,
                                  120, nullptr, nullptr, instance, nullptr);
    if (window) ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

}  // namespace floorbench
