// tiv_bench.exe: the Windows half of tools/bench. Each mode measures one thing, of Tiv or of
// the floor program, and prints key=value lines; tools/bench runs the modes in turn, reads
// what only the host can tell (CPU time, resident memory) and reports medians.
//   start tiv|floor|floor_ui [count]
//                             start it in a fresh folder, time to the first painted frame,
//                             leave it running (counting when asked) and print where it is
//   hour                      an hour of a count's work for the running Tiv: 7200 ticks and
//                             3600 repaints, driven from here
//   lateness N                N three-second counts: true end to the finish window
//   idle SECONDS              wake-ups of an idle Tiv window and of the floor, in this process
//   paint N                   N full paints of four changing timers at 1920 x 1080 against N
//                             BitBlts of that size; also repaints of an unchanged picture,
//                             a repaint that only copies a ready picture, the least paint of
//                             the same picture and the floor's own repaint
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "alarm_support.h"
#include "app/window_win.h"
#include "countdown/engine.h"
#include "display/geometry.h"
#include "display/paint_win.h"
#include "driver.h"
#include "floor.h"
#include "inproc.h"
#include "resources/resource.h"
#include "settings/record.h"

namespace {

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string beside(const char* name) {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\') + 1) + name;
}

struct Found { DWORD pid; const char* cls; HWND window; };

BOOL CALLBACK findOf(HWND w, LPARAM p) {
    auto* f = reinterpret_cast<Found*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[64];
    if (pid != f->pid || !IsWindowVisible(w) || !GetClassNameA(w, cls, sizeof cls) || lstrcmpA(cls, f->cls)) return TRUE;
    f->window = w;
    return FALSE;
}

// The first frame is there when the bottom-left corner of the client area, inside both
// programs' time display, shows the display's black instead of the class's grey.
bool painted(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return client.bottom > 4 && inproc::pixel(window, 2, client.bottom - 3) == RGB(0, 0, 0);
}

int start(const std::string& which, bool count) {
    bool tiv = which == "tiv";
    std::string folder;
    if (tiv) {
        folder = driver::preparedFolder();
    } else {
        folder = driver::newTempFolder("tivfloor");
        std::string floorExe = which == "floor_ui" ? "tiv_floor_ui.exe" : "tiv_floor.exe";
        if (!CopyFileA(beside(floorExe.c_str()).c_str(), (folder + "Floor.exe").c_str(), FALSE)) return 2;
    }
    std::string line = "\"" + folder + (tiv ? "Tiv.exe" : "Floor.exe") + "\"";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    double t0 = nowMs();
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return 2;
    Found f{process.dwProcessId, tiv ? "DovOdiz" : floorbench::kClassName, nullptr};
    double firstFrame = -1;
    while (nowMs() - t0 < 20000) {
        f.window = nullptr;
        EnumWindows(findOf, reinterpret_cast<LPARAM>(&f));
        if (f.window && painted(f.window)) {
            firstFrame = nowMs() - t0;
            break;
        }
        Sleep(1);
    }
    if (firstFrame < 0) {
        TerminateProcess(process.hProcess, 1);
        std::printf("error=no first frame within 20 s\n");
        return 1;
    }
    Sleep(2000);
    PROCESS_MEMORY_COUNTERS m{};
    m.cb = sizeof m;
    K32GetProcessMemoryInfo(process.hProcess, &m, sizeof m);
    if (count && tiv) driver::command(f.window, IDC_STARTSTOP);
    std::printf("startup_ms=%.1f\nworking_set_kb=%lu\nfolder=%s\n", firstFrame,
                static_cast<unsigned long>(m.WorkingSetSize / 1024),
                folder.c_str());
    return 0;
}

int hour() {
    HWND main = FindWindowA("DovOdiz", nullptr);
    if (!main) return 2;
    DWORD_PTR ignored;
    for (int tick = 0; tick < 7200; ++tick) {
        PostMessageA(main, WM_TIMER, 1, 0);
        if (tick % 2) RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        // Paced by the program: each tick is handled before the next is posted.
        SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    }
    std::printf("hour_ticks=7200\n");
    return 0;
}

int lateness(int runs) {
    std::string folder = driver::countFolder(3);
    driver::Tiv tiv;
    if (!driver::start(tiv, folder)) return 2;
    HWND main = driver::waitMain(tiv);
    if (!main) return 2;
    Sleep(500);
    std::vector<double> late;
    for (int run = 0; run < runs; ++run) {
        driver::command(main, IDC_STARTSTOP);
        double t0 = nowMs();
        HWND box = nullptr;
        while (!box && nowMs() - t0 < 10000) {
            auto boxes = alarms::finishBoxes(tiv.process.dwProcessId);
            if (!boxes.empty()) box = boxes.front();
            else Sleep(1);
        }
        if (!box) {
            std::printf("error=no finish window within 10 s\n");
            return 1;
        }
        late.push_back(nowMs() - t0 - 3000);
        std::printf("lateness_ms=%.1f\n", late.back());
        driver::answerBox(box, IDOK);
        driver::waitFor([&] { return driver::itemText(main, IDC_STARTSTOP) == "开始"; }, 5000);
        Sleep(300);
    }
    std::printf("lateness_worst_ms=%.1f\nlateness_median_ms=%.1f\n", *std::max_element(late.begin(), late.end()),
                median(late));
    PostMessageA(main, WM_CLOSE, 0, 0);
    driver::waitExit(tiv);
    driver::removeFolder(folder);
    return 0;
}

// Every return from the wait is a wake-up of the thread.
int countWakeUps(DWORD ms) {
    int wakeUps = 0;
    double t0 = nowMs();
    for (;;) {
        double left = ms - (nowMs() - t0);
        if (left <= 0) return wakeUps;
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT) == WAIT_TIMEOUT)
            continue;
        ++wakeUps;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

int idle(int seconds) {
    HWND main = inproc::open();
    if (!main) return 2;
    inproc::putOnTop(main, 10, 10, 300, 220);
    inproc::pump(2000);
    std::printf("idle_wakeups_tiv=%d\n", countWakeUps(static_cast<DWORD>(seconds) * 1000));
    inproc::close();
    HWND floorWindow = floorbench::openFloor(GetModuleHandleA(nullptr));
    inproc::pump(2000);
    std::printf("idle_wakeups_floor=%d\n", countWakeUps(static_cast<DWORD>(seconds) * 1000));
    DestroyWindow(floorWindow);
    return 0;
}

WNDPROC mainProc;
bool readyPictureOnly;

// The window may grow past the screen's size (a clipped paint is then reported as an error). With
// readyPictureOnly, WM_PAINT does the least a repaint can: it copies the picture already in
// the back buffer. Under Wine EndPaint also hands the pixels to the X server, which a BitBlt
// into GetDC's context alone does not.
LRESULT CALLBACK unboundedSize(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && readyPictureOnly) {
        PAINTSTRUCT ps;
        HDC screen = BeginPaint(window, &ps);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ previous = SelectObject(memory, display::canvas.backBuffer);
        BitBlt(screen, 0, display::view.top, display::view.width, display::view.height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
        EndPaint(window, &ps);
        return 0;
    }
    if (message == WM_GETMINMAXINFO) {
        LRESULT r = CallWindowProcA(mainProc, window, message, wParam, lParam);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMaxTrackSize = info->ptMaxSize = {4000, 3000};
        return r;
    }
    return CallWindowProcA(mainProc, window, message, wParam, lParam);
}

void growTo1920x1080(HWND window, int shownWidth, int shownHeight) {
    mainProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&unboundedSize)));
    RECT outer;
    GetWindowRect(window, &outer);
    SetWindowPos(window, nullptr, 0, 0, 1920 + (outer.right - outer.left) - shownWidth,
                 1080 + (outer.bottom - outer.top) - shownHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    inproc::pump(300);
}

template <typename Step>
double timed(int runs, Step step) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        double t0 = nowMs();
        step(run);
        GdiFlush();
        times.push_back(nowMs() - t0);
    }
    return median(times);
}

int paint(int runs) {
    HWND main = inproc::open([] { settings::record.timerCountIndex = 3; });
    if (!main) return 2;
    inproc::putOnTop(main, 0, 0, 400, 300);
    growTo1920x1080(main, display::view.width, display::view.height);
    std::printf("display_width=%d\ndisplay_height=%d\n", display::view.width, display::view.height);
    // Only pixels on the screen are drawn: a smaller screen would clip every paint measured.
    RECT outer;
    GetWindowRect(main, &outer);
    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (outer.left < 0 || outer.top < 0 || outer.right > screenWidth || outer.bottom > screenHeight) {
        std::printf("error=the screen, %d x %d, does not hold the whole window\n", screenWidth, screenHeight);
        inproc::close();
        return 1;
    }
    // What a tick repaints: the display's area, as the program invalidates it.
    RECT shown{0, display::view.top, display::view.width, display::view.top + display::view.height};
    auto repaint = [&] { RedrawWindow(main, &shown, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); };
    // All four slots change on every paint, as when four timers count: the last digit flips.
    char original[4];
    for (uint32_t slot = 0; slot < 4; ++slot) original[slot] = countdown::state.slots[slot].text[lstrlenA(countdown::state.slots[slot].text) - 1];
    double changed = timed(runs, [&](int run) {
        for (uint32_t slot = 0; slot < 4; ++slot)
            countdown::state.slots[slot].text[lstrlenA(countdown::state.slots[slot].text) - 1] = run % 2 ? original[slot] : '8';
        repaint();
    });
    double unchanged = timed(runs, [&](int) { repaint(); });
    readyPictureOnly = true;
    double ready = timed(runs, [&](int) { repaint(); });
    readyPictureOnly = false;

    HDC screen = GetDC(main);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 1920, 1080);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    double blit = timed(runs, [&](int) { BitBlt(screen, 0, 0, 1920, 1080, memory, 0, 0, SRCCOPY); });
    // The least paint of the same picture: each slot's background and text, the same fonts
    // made once beforehand, into a bitmap copied to the window in one BitBlt.
    HFONT fonts[4];
    for (uint32_t slot = 0; slot < 4; ++slot) {
        const settings::Record& r = settings::record;
        uint32_t height = display::fontHeight(r.textSizeMode[slot], r.fontHeight[slot], countdown::state.slots[slot].textWidth, 3,
                                              display::view.width, display::view.height);
        fonts[slot] = CreateFontA(static_cast<int>(height), 0, 0, 0, 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                                  0, 0, r.fontName[slot]);
    }
    void* bits = nullptr;
    HBITMAP dib = inproc::topDownDib(screen, 1920, 1080, &bits);
    HGDIOBJ previousDib = SelectObject(memory, dib);
    double least = timed(runs, [&](int) {
        for (uint32_t slot = 0; slot < 4; ++slot) {
            display::Rect a = display::slotArea(3, slot, 1920, 1080);
            RECT area{a.left, a.top, a.right, a.bottom};
            COLORREF back = display::drawColour(settings::record.backColour[slot]);
            SetBkColor(memory, back);
            ExtTextOutA(memory, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
            SelectObject(memory, fonts[slot]);
            SetTextColor(memory, display::drawColour(settings::record.textColour[slot]));
            DrawTextA(memory, countdown::state.slots[slot].text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        BitBlt(screen, 0, 0, 1920, 1080, memory, 0, 0, SRCCOPY);
    });
    // Proof the text was drawn: pixels other than the backgrounds.
    int ink = 0;
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < 1920 * 1080; ++i) ink += pixels[i] != 0;
    SelectObject(memory, previousDib);
    DeleteObject(dib);
    for (HFONT f : fonts) DeleteObject(f);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(main, screen);
    SetWindowLongPtrA(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mainProc));
    inproc::close();

    // The floor's own repaint of a client area of that size.
    HWND floorWindow = floorbench::openFloor(GetModuleHandleA(nullptr));
    RECT client;
    GetClientRect(floorWindow, &client);
    growTo1920x1080(floorWindow, client.right, client.bottom);
    double floorPaint = timed(runs, [&](int) { RedrawWindow(floorWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); });
    SetWindowLongPtrA(floorWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mainProc));
    DestroyWindow(floorWindow);
    std::printf("paint_ms=%.3f\nrepaint_unchanged_ms=%.3f\nready_picture_repaint_ms=%.3f\nbitblt_ms=%.3f\n"
                "least_paint_ms=%.3f\nleast_paint_ink_pixels=%d\nfloor_paint_ms=%.3f\n",
                changed, unchanged, ready, blit, least, ink, floorPaint);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    int n = argc > 2 ? std::atoi(argv[2]) : 0;
    int rc = 2;
    if (mode == "start" && argc > 2) rc = start(argv[2], argc > 3 && !std::strcmp(argv[3], "count"));
    else if (mode == "hour") rc = hour();
    else if (mode == "lateness" && n > 0) rc = lateness(n);
    else if (mode == "idle" && n > 0) rc = idle(n);
    else if (mode == "paint" && n > 0) rc = paint(n);
    else std::fprintf(stderr, "usage: tiv_bench start tiv|floor|floor_ui [count] | hour | lateness N | idle S | paint N\n");
    std::fflush(stdout);
    return rc;
}
