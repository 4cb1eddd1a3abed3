// Every window of the program, frame included, as the screen shows it at
// 96 DPI, compared pixel for pixel with the pictures recorded in
// tests/data/looks96. TIV_RECORD_LOOKS=1 records them instead (and fails, so
// that a recording run never passes for a test run).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/window_win.h"
#include "base/text.h"
#include "display/geometry.h"
#include "inproc.h"
#include "resources/resource.h"
#include "settings/record.h"
#include "settings/store.h"

namespace {

// ---------------------------------------------------------------- pictures

struct Picture {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;   // top row first
    bool operator==(const Picture& o) const {
        return width == o.width && height == o.height && pixels == o.pixels;
    }
};

void putLe(std::vector<unsigned char>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

uint32_t getLe(const std::vector<unsigned char>& in, size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(in[at + i]) << (8 * i);
    return value;
}

// An 8-bit BMP when the picture has at most 256 colours (UI pictures do),
// else 24-bit; the palette is sorted, so the same pixels give the same file.
std::vector<unsigned char> bmpBytes(const Picture& p) {
    std::vector<COLORREF> palette(p.pixels);
    std::sort(palette.begin(), palette.end());
    palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
    bool indexed = palette.size() <= 256;
    int bits = indexed ? 8 : 24;
    uint32_t colours = indexed ? static_cast<uint32_t>(palette.size()) : 0;
    uint32_t stride = (static_cast<uint32_t>(p.width) * bits / 8 + 3) & ~3u;
    uint32_t offset = 14 + 40 + 4 * colours;
    std::vector<unsigned char> out;
    out.push_back('B');
    out.push_back('M');
    putLe(out, offset + stride * static_cast<uint32_t>(p.height), 4);
    putLe(out, 0, 4);
    putLe(out, offset, 4);
    putLe(out, 40, 4);
    putLe(out, static_cast<uint32_t>(p.width), 4);
    putLe(out, static_cast<uint32_t>(p.height), 4);   // bottom-up
    putLe(out, 1, 2);
    putLe(out, static_cast<uint32_t>(bits), 2);
    putLe(out, BI_RGB, 4);
    putLe(out, stride * static_cast<uint32_t>(p.height), 4);
    putLe(out, 3780, 4);   // 96 DPI in pixels per metre
    putLe(out, 3780, 4);
    putLe(out, colours, 4);
    putLe(out, 0, 4);
    for (COLORREF c : palette) {
        if (!indexed) break;
        out.push_back(GetBValue(c));
        out.push_back(GetGValue(c));
        out.push_back(GetRValue(c));
        out.push_back(0);
    }
    for (int y = p.height - 1; y >= 0; --y) {
        size_t rowStart = out.size();
        for (int x = 0; x < p.width; ++x) {
            COLORREF c = p.pixels[static_cast<size_t>(y) * p.width + x];
            if (indexed) {
                out.push_back(static_cast<unsigned char>(std::lower_bound(palette.begin(), palette.end(), c) -
                                                         palette.begin()));
            } else {
                out.push_back(GetBValue(c));
                out.push_back(GetGValue(c));
                out.push_back(GetRValue(c));
            }
        }
        while (out.size() - rowStart < stride) out.push_back(0);
    }
    return out;
}

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool writeBmp(const std::string& path, const Picture& p) { return writeFile(path, bmpBytes(p)); }

// Reads what bmpBytes writes (uncompressed 8- or 24-bit, bottom-up); an
// empty answer means success, anything else says what is wrong.
std::string readBmp(const std::string& path, Picture& p) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return "cannot open " + path;
    std::vector<unsigned char> in;
    unsigned char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) in.insert(in.end(), chunk, chunk + n);
    std::fclose(f);
    if (in.size() < 54 || in[0] != 'B' || in[1] != 'M' || getLe(in, 14, 4) != 40) return path + " is no BMP";
    int32_t width = static_cast<int32_t>(getLe(in, 18, 4)), height = static_cast<int32_t>(getLe(in, 22, 4));
    uint32_t bits = getLe(in, 28, 2), compression = getLe(in, 30, 4), offset = getLe(in, 10, 4);
    uint32_t colours = getLe(in, 46, 4);
    if (bits == 8 && colours == 0) colours = 256;
    if ((bits != 8 && bits != 24) || compression != BI_RGB || width <= 0 || height <= 0 || width > 4096 ||
        height > 4096)
        return path + ": not an uncompressed bottom-up 8- or 24-bit BMP";
    uint32_t stride = (static_cast<uint32_t>(width) * bits / 8 + 3) & ~3u;
    if (offset + static_cast<size_t>(stride) * height > in.size() || (bits == 8 && 54 + 4 * colours > offset))
        return path + " is cut short";
    p.width = width;
    p.height = height;
    p.pixels.assign(static_cast<size_t>(width) * height, 0);
    for (int y = 0; y < height; ++y) {
        size_t row = offset + static_cast<size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            COLORREF c;
            if (bits == 8) {
                uint32_t index = in[row + x];
                if (index >= colours) return path + ": a pixel outside the palette";
                size_t q = 54 + 4 * index;
                c = RGB(in[q + 2], in[q + 1], in[q]);
            } else {
                size_t q = row + 3 * static_cast<size_t>(x);
                c = RGB(in[q + 2], in[q + 1], in[q]);
            }
            p.pixels[static_cast<size_t>(y) * width + x] = c;
        }
    }
    return "";
}

// ---------------------------------------------------------------- the screen

// The whole window, frame included, read from the screen in one go.
Picture grab(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    inproc::Shot shot = inproc::shoot(GetDesktopWindow(), r);   // the desktop's client is the screen
    Picture p;
    p.width = r.right - r.left;
    p.height = r.bottom - r.top;
    p.pixels = std::move(shot.pixels);
    return p;
}

const POINT kParked{1023, 767};   // the screen's last pixel, away from every window shown here

// Points every 16 pixels from `from` to `to` - 1, both ends included.
std::vector<LONG> across(LONG from, LONG to) {
    std::vector<LONG> points;
    for (LONG p = from; p < to - 1; p += 16) points.push_back(p);
    points.push_back(to - 1);
    return points;
}

// Whether the window lies whole on the screen with nothing over it: every
// point of a grid over it belongs to it or to one of its children.
std::string coverage(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (r.left < screen.left || r.top < screen.top || r.right > screen.right || r.bottom > screen.bottom)
        return "not whole on the screen";
    if (PtInRect(&r, kParked)) return "the pointer is over it";
    for (LONG y : across(r.top, r.bottom)) {
        for (LONG x : across(r.left, r.right)) {
            HWND under = WindowFromPoint(POINT{x, y});
            if (GetAncestor(under, GA_ROOT) == window) continue;
            char cls[64] = "";
            GetClassNameA(under, cls, sizeof cls);
            return "covered at " + std::to_string(x) + "," + std::to_string(y) + " by a '" + cls + "' window";
        }
    }
    return "";
}

// What a view looked like, or why it could not be taken.
struct Capture {
    Picture picture;
    std::string problem;
    // Where the sheet's fourth tab, "更多", is drawn: left out of the
    // comparison of the three pages recorded before it came.
    RECT newTab{};
};

// Two shots 600 ms apart must agree (no caret, no late paint in the shot);
// `wait` lets the window's thread run meanwhile.
Capture settle(HWND window, const std::function<void(DWORD)>& wait) {
    Capture c;
    if (!window) {
        c.problem = "the window did not open";
        return c;
    }
    SetCursorPos(kParked.x, kParked.y);
    wait(300);
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (GetForegroundWindow() != window) {
            c.problem = "not the active window";
        } else if (std::string covered = coverage(window); !covered.empty()) {
            c.problem = covered;
        } else {
            Picture first = grab(window);
            wait(600);
            Picture second = grab(window);
            if (first == second) {
                c.picture = std::move(second);
                c.problem.clear();
                return c;
            }
            c.problem = "still changing between two shots 600 ms apart";
            continue;
        }
        wait(300);
    }
    return c;
}

// ---------------------------------------------------------------- the dialogs

struct Wanted {
    DWORD thread;
    int marker;   // a control only this dialog has
    HWND found;
};

BOOL CALLBACK matchDialog(HWND window, LPARAM lp) {
    auto* w = reinterpret_cast<Wanted*>(lp);
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (!IsWindowVisible(window) || std::strcmp(cls, "#32770") != 0) return TRUE;
    bool match = w->marker ? GetDlgItem(window, w->marker) != nullptr
                           : FindWindowExA(window, nullptr, "SysTabControl32", nullptr) != nullptr;
    if (!match) return TRUE;
    w->found = window;
    return FALSE;
}

// A dialog of the main thread: marker 0 is the options sheet.
HWND waitDialog(DWORD thread, int marker) {
    for (int waited = 0; waited < 5000; waited += 50) {
        Wanted w{thread, marker, nullptr};
        EnumThreadWindows(thread, matchDialog, reinterpret_cast<LPARAM>(&w));
        if (w.found) return w.found;
        Sleep(50);
    }
    return nullptr;
}

const POINT kDialogAt{20, 20};

void nap(DWORD ms) { Sleep(ms); }

// From the driving thread: the dialog to its place, the focus on a button
// (so no caret blinks), then the shot.
Capture takeDialog(HWND dialog, int focusId) {
    if (!dialog) return settle(nullptr, nap);
    SetWindowPos(dialog, nullptr, kDialogAt.x, kDialogAt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (HWND button = GetDlgItem(dialog, focusId))
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
    return settle(dialog, nap);
}

// The sheet's own loop looks at its end only when a message is posted to it.
void pressSheet(HWND sheet, int button) {
    SendMessageA(sheet, PSM_PRESSBUTTON, button, 0);
    PostMessageA(sheet, WM_NULL, 0, 0);
}

BOOL CALLBACK cancelDialog(HWND w, LPARAM) {
    char cls[32] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (IsWindowVisible(w) && std::strcmp(cls, "#32770") == 0) PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

// Closes whatever dialog a failed drive left open, so the modal loop ends.
void CALLBACK rescue(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), cancelDialog, 0); }

// Runs `open` on this thread (it enters the dialog's modal loop) while
// `drive` takes the shot from another thread and closes the dialog.
Capture whileOpen(const std::function<void()>& open, const std::function<Capture(DWORD mainThread)>& drive) {
    DWORD self = GetCurrentThreadId();
    Capture got;
    std::atomic<bool> done{false};
    UINT_PTR timer = SetTimer(nullptr, 0, 20000, rescue);
    std::thread driver([&] {
        got = drive(self);
        done = true;
    });
    open();
    inproc::pumpUntil([&] { return done.load(); }, 30000);
    driver.join();
    KillTimer(nullptr, timer);
    inproc::pump(100);
    return got;
}

// Tab `index` of the sheet in its picture's coordinates, with the two pixels
// of outline a tab draws around itself.
RECT tabArea(HWND sheet, int index) {
    RECT item{}, frame{};
    HWND tabs = FindWindowExA(sheet, nullptr, "SysTabControl32", nullptr);
    if (!tabs || !SendMessageA(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item))) return {};
    MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&item), 2);
    GetWindowRect(sheet, &frame);
    OffsetRect(&item, -frame.left, -frame.top);
    InflateRect(&item, 2, 2);
    return item;
}

// The options sheet on page `page`; with `ask`, the options page's 重置 asks
// its question and the question is the shot.
Capture takeSheet(int page, int marker, bool ask) {
    return whileOpen([] { SendMessageA(app::mainWindow, WM_COMMAND, IDC_OPTIONS, 0); }, [=](DWORD thread) {
        HWND sheet = waitDialog(thread, 0);
        if (!sheet) return settle(nullptr, nap);
        SendMessageA(sheet, PSM_SETCURSEL, page, 0);
        HWND shown = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        Capture c;
        if (!shown || !GetDlgItem(shown, marker)) {
            c.problem = "the sheet did not show page " + std::to_string(page);
        } else if (!ask) {
            c = takeDialog(sheet, IDOK);
            c.newTab = tabArea(sheet, 3);
        } else {
            PostMessageA(shown, WM_COMMAND, IDC_OPT_RESET, 0);
            HWND box = waitDialog(thread, IDC_MSG_LINE1);
            c = takeDialog(box, IDOK);
            if (box) SendMessageA(box, WM_COMMAND, IDCANCEL, 0);
        }
        pressSheet(sheet, PSBTN_CANCEL);
        return c;
    });
}

Capture takeAbout() {
    return whileOpen([] { SendMessageA(app::mainWindow, WM_COMMAND, IDC_ABOUT, 0); }, [](DWORD thread) {
        HWND box = waitDialog(thread, IDC_ABOUT_LIST);
        Capture c = takeDialog(box, IDOK);
        if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
        return c;
    });
}

// A left click on the display opens the picker up and left of the pointer.
Capture takePicker() {
    const POINT pointer{300, 300};
    SetCursorPos(pointer.x, pointer.y);
    inproc::pump(100);
    return whileOpen([] { PostMessageA(app::mainWindow, WM_LBUTTONUP, 0, MAKELPARAM(50, 80)); }, [](DWORD thread) {
        HWND box = waitDialog(thread, IDC_QUICK_PICK1);
        Capture c = takeDialog(box, IDC_QUICK_PICK1);
        if (box) PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        return c;
    });
}

// ---------------------------------------------------------------- the views

enum class Kind { Main, Sheet, Question, Picker, About };

struct View {
    const char* name;                  // the baseline's file name, without .bmp
    Kind kind;
    std::function<void()> edit;        // settings before the window opens
    SIZE outer;                        // the main window's size; 0 keeps the program's own
    int page;                          // the sheet's page
    int marker;                        // a control only that page has
};

const POINT kMainAt{560, 20};   // right of every dialog shown at kDialogAt

// The main window placed and active, the focus on a button, the pointer away.
std::string placeMain(HWND main, SIZE outer) {
    UINT flags = SWP_SHOWWINDOW | (outer.cx ? 0 : SWP_NOSIZE);
    SetWindowPos(main, HWND_TOPMOST, kMainAt.x, kMainAt.y, outer.cx, outer.cy, flags);
    SetForegroundWindow(main);
    SetFocus(GetDlgItem(main, IDC_STARTSTOP));
    SetCursorPos(kParked.x, kParked.y);
    UpdateWindow(main);
    inproc::pump(300);
    return GetFocus() == GetDlgItem(main, IDC_STARTSTOP) ? "" : "the focus is not on 开始";
}

Capture take(const View& v, HWND main) {
    switch (v.kind) {
    case Kind::Main: return settle(main, inproc::pump);
    case Kind::Sheet: return takeSheet(v.page, v.marker, false);
    case Kind::Question: return takeSheet(v.page, v.marker, true);
    case Kind::Picker: return takePicker();
    case Kind::About: return takeAbout();
    }
    return {};
}

std::string hexColour(COLORREF c) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

// Empty when the two agree outside `ignored`, else what differs.
std::string difference(const Picture& got, const Picture& want, const RECT& ignored) {
    if (got.width != want.width || got.height != want.height)
        return "size " + std::to_string(got.width) + "x" + std::to_string(got.height) + ", baseline " +
               std::to_string(want.width) + "x" + std::to_string(want.height);
    size_t differ = 0, first = 0;
    for (size_t i = 0; i < got.pixels.size(); ++i) {
        POINT at{static_cast<LONG>(i % got.width), static_cast<LONG>(i / got.width)};
        if (got.pixels[i] == want.pixels[i] || PtInRect(&ignored, at)) continue;
        if (differ++ == 0) first = i;
    }
    if (differ == 0) return "";
    int x = static_cast<int>(first % got.width), y = static_cast<int>(first / got.width);
    return std::to_string(differ) + " of " + std::to_string(got.pixels.size()) + " pixels differ (" +
           std::to_string(got.width) + "x" + std::to_string(got.height) + "), the first at " + std::to_string(x) +
           "," + std::to_string(y) + ": " + hexColour(got.pixels[first]) + ", baseline " +
           hexColour(want.pixels[first]);
}

// A folder (its path ending in a backslash) and every folder above it.
void makeFolders(const std::string& path) {
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
}

bool recording() {
    const char* flag = std::getenv("TIV_RECORD_LOOKS");
    return flag && std::strcmp(flag, "1") == 0;
}

TEST(Looks, EveryWindowAsBeforeAt96Dpi) {
    HDC screen = GetDC(nullptr);
    int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(dpiX == 96 && dpiY == 96) << "the screen is at " << dpiX << "x" << dpiY
                                          << " DPI: the baselines are pictures at 96 DPI";

    const View views[] = {
        {"main-default", Kind::Main, nullptr, {0, 0}, 0, 0},
        {"main-four-timers", Kind::Main, [] { settings::record.timerCountIndex = 3; }, {420, 260}, 0, 0},
        {"options-timer-page", Kind::Sheet, nullptr, {0, 0}, 0, IDC_TP_SLOT},
        {"options-quick-page", Kind::Sheet, nullptr, {0, 0}, 1, IDC_QUICK_VALUE1},
        {"options-options-page", Kind::Sheet, nullptr, {0, 0}, 2, IDC_OPT_RESET},
        {"options-more-page", Kind::Sheet, nullptr, {0, 0}, 3, IDC_MORE_HOTKEY},
        {"quick-picker", Kind::Picker, nullptr, {0, 0}, 0, 0},
        {"about", Kind::About, nullptr, {0, 0}, 0, 0},
        {"question", Kind::Question, nullptr, {0, 0}, 2, IDC_OPT_RESET},
    };
    const std::string baselines = TIV_LOOKS_DIR, actuals = TIV_LOOKS_OUT;
    bool record = recording();
    makeFolders(record ? baselines : actuals);
    int recorded = 0;
    for (const View& v : views) {
        SCOPED_TRACE(v.name);
        HWND main = inproc::open([&] {
            // The About box shows this folder: a fixed one, not the temporary one.
            text::copyBounded(settings::store.programFolder, "C:\\Tiv\\", sizeof settings::store.programFolder);
            if (v.edit) v.edit();
        });
        ASSERT_NE(main, nullptr);
        std::string placed = placeMain(main, v.outer);
        EXPECT_EQ(placed, "") << v.name;
        if (v.kind == Kind::Main && v.outer.cx) {
            // What this view is for: the days pair and the asterisk are in it.
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(main, IDC_DAYS))) << v.name << ": no days field";
            EXPECT_GT(display::view.width, display::kMarkMinArea) << v.name << ": too narrow for the asterisk";
            EXPECT_GT(display::view.height, display::kMarkMinArea) << v.name << ": too low for the asterisk";
            EXPECT_EQ(settings::timerCount(), 3u) << v.name;
        }
        Capture c = take(v, main);
        inproc::close();
        if (!c.problem.empty()) {
            ADD_FAILURE() << v.name << ": " << c.problem;
            continue;
        }
        std::string baseline = baselines + v.name + ".bmp", actual = actuals + v.name + ".bmp";
        if (record) {
            EXPECT_TRUE(writeBmp(baseline, c.picture)) << "cannot write " << baseline;
            recorded++;
            continue;
        }
        Picture want;
        std::string unread = readBmp(baseline, want);
        // The new page is compared whole, tab and all.
        RECT ignored = v.page == 3 ? RECT{} : c.newTab;
        std::string differs = unread.empty() ? difference(c.picture, want, ignored) : unread;
        if (differs.empty()) {
            DeleteFileA(actual.c_str());   // a picture of an earlier failure
            continue;
        }
        bool saved = writeBmp(actual, c.picture);
        ADD_FAILURE() << v.name << ": " << differs << "\n  as shown now: " << (saved ? actual : "(not written)")
                      << "\n  baseline:     " << baseline;
    }
    if (record)
        ADD_FAILURE() << "TIV_RECORD_LOOKS=1: recorded " << recorded << " of " << std::size(views)
                      << " baselines in " << baselines << ", compared nothing";
}

}  // namespace
