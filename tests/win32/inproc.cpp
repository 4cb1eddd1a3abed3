#include "inproc.h"

#include "driver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/state.h"
#include "app/window_win.h"
#include "base/text.h"
#include "countdown/alarm.h"
#include "countdown/engine.h"
#include "display/paint_win.h"
#include "settings/record.h"
#include "settings/store.h"
#include "sound/sound.h"

namespace inproc {

namespace {

std::string folder;

}  // namespace

HWND open(const std::function<void()>& edit) {
    app::resetRunState();
    folder = driver::newTempFolder("tivin");
    text::copyBounded(settings::store.dataFolder, folder.c_str(), sizeof settings::store.dataFolder);
    text::copyBounded(settings::store.programFolder, folder.c_str(), sizeof settings::store.programFolder);

    std::memset(&settings::record, 0, sizeof settings::record);
    settings::fullDefaults();
    if (edit) edit();
    app::instance = GetModuleHandleA(nullptr);
    app::mainThreadId = GetCurrentThreadId();
    InitCommonControls();
    if (!app::openMainWindow()) return nullptr;
    // The start-up timer loads every slot (and formats its text), 50 ms on.
    if (!pumpUntil([] { return countdown::state.slots[0].text[0] != '\0'; }, 3000)) return nullptr;
    pump(0);
    return app::mainWindow;
}

void close() {
    if (app::mainWindow) {
        SendMessageA(app::mainWindow, WM_CLOSE, 0, 0);
        // WM_CLOSE posts the quit message; this loop is ours, so take it out.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
        HWND window = app::mainWindow;
        app::mainWindow = nullptr;
        DestroyWindow(window);
        pump(50);
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    }
    display::dropBackBuffer();
    app::resetRunState();
    DeleteFileA((folder + "dTiv.dat").c_str());
    RemoveDirectoryA(folder.c_str());
}

static void dispatchOne(MSG& msg) {
    if (app::mainWindow && app::preTranslate(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void pump(DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            dispatchOne(msg);
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        pump(20);
    }
    return true;
}

std::string dataFolder() { return folder; }

COLORREF pixel(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

COLORREF Shot::at(int x, int y) const {
    int width = area.right - area.left;
    return pixels[static_cast<size_t>((y - area.top) * width + (x - area.left))];
}

int Shot::count(const RECT& r, COLORREF c) const {
    int n = 0;
    for (int y = std::max(r.top, area.top); y < std::min(r.bottom, area.bottom); ++y)
        for (int x = std::max(r.left, area.left); x < std::min(r.right, area.right); ++x) n += at(x, y) == c;
    return n;
}

HBITMAP topDownDib(HDC dc, int width, int height, void** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, bits, nullptr, 0);
}

Shot shoot(HWND window, const RECT& area) {
    Shot shot;
    shot.area = area;
    int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return shot;
    POINT origin{area.left, area.top};
    ClientToScreen(window, &origin);
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = topDownDib(memory, w, h, &bits);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const DWORD* p = static_cast<const DWORD*>(bits);
    shot.pixels.reserve(static_cast<size_t>(w) * h);
    // DIB pixels are 0x00RRGGBB; COLORREF is 0x00BBGGRR.
    for (int i = 0; i < w * h; ++i) shot.pixels.push_back(RGB(p[i] >> 16 & 0xFF, p[i] >> 8 & 0xFF, p[i] & 0xFF));
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

void savePicture(HWND window, const std::string& path) {
    RECT whole, screenRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, r;
    GetWindowRect(window, &whole);
    IntersectRect(&r, &whole, &screenRect);   // Wine copies nothing for a rectangle partly off the screen
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = topDownDib(memory, w, h, &bits);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    DWORD* pixel = static_cast<DWORD*>(bits);
    for (int i = 0; i < w * h; ++i) pixel[i] |= 0xFF000000u;   // opaque, for viewers that read alpha
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = -h;
    info.biPlanes = 1;
    info.biBitCount = 32;
    DWORD size = static_cast<DWORD>(w) * h * 4;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + size;
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&info, sizeof info, 1, out);
        std::fwrite(bits, size, 1, out);
        std::fclose(out);
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

std::vector<Control> controlsOf(HWND window) {
    std::vector<Control> controls;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(child);
        char tip[512] = "";
        TOOLINFOA info{};
        info.cbSize = TTTOOLINFOA_V2_SIZE;
        info.hwnd = window;
        info.uId = reinterpret_cast<UINT_PTR>(child);
        info.lpszText = tip;
        SendMessageA(app::tooltip, TTM_GETTEXTA, sizeof tip, reinterpret_cast<LPARAM>(&info));
        // A template's -1 reads back as 0xFFFF from a DIALOG, as -1 from a DIALOGEX.
        controls.push_back({(id & 0xFFFF) == 0xFFFF ? -1 : id, driver::className(child), tip});
    }
    return controls;
}

std::string lines(const std::vector<Control>& controls) {
    std::string text;
    for (const Control& c : controls) text += std::to_string(c.id) + " " + c.cls + " " + c.tip + "\n";
    return text;
}

void putOnTop(HWND window, int x, int y, int width, int height) {
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    SetWindowPos(window, HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    UpdateWindow(window);
    pump(300);
}

namespace {

bool menuOpen;

void CALLBACK closeMenu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND popup = FindWindowA("#32768", nullptr);
    menuOpen = popup && IsWindowVisible(popup);
    EndMenu();
}

}  // namespace

void closeMenuAfter(UINT ms) {
    menuOpen = false;
    SetTimer(nullptr, 0, ms, closeMenu);
}

bool menuWasOpen() { return menuOpen; }

}  // namespace inproc
