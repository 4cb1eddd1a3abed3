// The main window and its dialogs at the scales laptops run: 100, 125, 150
// and 200 %. Wine takes a process's scale from LogPixels when the process
// starts, so each scale is seen by a child of this program (AtScale.*,
// left out of the suite's own list), and this process compares their reports.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/window_win.h"
#include "countdown/engine.h"
#include "display/geometry.h"
#include "driver.h"
#include "inproc.h"
#include "platform/window_win.h"
#include "resources/resource.h"
#include "settings/record.h"

namespace {

using Report = std::map<std::string, std::string>;

int at(int pixels, uint32_t dpi) { return MulDiv(pixels, static_cast<int>(dpi), 96); }

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

using driver::className;
using driver::placeOf;
using driver::rectText;

BOOL CALLBACK addVisible(HWND child, LPARAM list) {
    if (IsWindowVisible(child)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

std::vector<HWND> childrenOf(HWND window) {
    std::vector<HWND> all;
    EnumChildWindows(window, addVisible, reinterpret_cast<LPARAM>(&all));
    return all;
}

// ---- What a child sees

// The lines a caption needs, in the control's width and font.
RECT captionNeeds(HWND c) {
    std::string caption = driver::text(c);
    RECT client;
    GetClientRect(c, &client);
    LONG style = GetWindowLongA(c, GWL_STYLE);
    bool wraps = className(c) == "Static" ? (style & SS_TYPEMASK) <= SS_RIGHT : (style & BS_MULTILINE) != 0;
    HDC dc = GetDC(c);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)));
    RECT need{0, 0, client.right, 0};
    DrawTextA(dc, caption.c_str(), -1, &need, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(c, dc);
    return need;
}

// Where a control shows something: a line of text draws only its lines from
// the top, however tall the static is; any other control, all of it.
RECT inkOf(HWND c) {
    RECT r = placeOf(c);
    if (className(c) == "Static" && (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) <= SS_RIGHT) {
        RECT need = captionNeeds(c);
        r.bottom = std::min<LONG>(r.bottom, r.top + std::max<LONG>(need.bottom, 1));
    }
    return r;
}

// Every caption fits its control, every control lies inside its parent, and
// no two controls overlap (a group box holds others; an up-down sits on its
// buddy's edge by design). One line per fault; empty when all is well.
std::string faultsOf(HWND dialog, const std::string& name) {
    std::string faults;
    std::vector<HWND> controls = childrenOf(dialog);
    for (HWND c : controls) {
        std::string cls = className(c), caption = driver::text(c);
        LONG style = GetWindowLongA(c, GWL_STYLE);
        std::string who = name + " " + std::to_string(GetDlgCtrlID(c)) + " " + cls + " '" + driver::hex(caption) + "'";
        RECT client;
        GetClientRect(c, &client);
        RECT inside = placeOf(c), parent;
        GetClientRect(GetParent(c), &parent);
        if (inside.left < 0 || inside.top < 0 || inside.right > parent.right || inside.bottom > parent.bottom)
            faults += who + " at " + rectText(inside) + " outside its parent's " + rectText(parent) + "\n";
        LONG type = style & SS_TYPEMASK;
        bool textStatic = cls == "Static" && (type <= SS_RIGHT || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP);
        if (!caption.empty() && (cls == "Button" || textStatic)) {
            RECT need = captionNeeds(c);
            if (need.right > client.right || need.bottom > client.bottom)
                faults += who + " needs " + std::to_string(need.right) + "x" + std::to_string(need.bottom) +
                          ", has " + std::to_string(client.right) + "x" + std::to_string(client.bottom) + "\n";
        }
        // A group box holds others, a page lies on its tab control, an up-down
        // sits on its buddy's edge: all by design.
        auto container = [](HWND w, const std::string& k) {
            return (k == "Button" && (GetWindowLongA(w, GWL_STYLE) & 0xF) == BS_GROUPBOX) || k == "#32770" ||
                   k == WC_TABCONTROLA || k == UPDOWN_CLASSA;
        };
        if (container(c, cls)) continue;
        for (HWND other : controls) {
            if (other == c || GetParent(other) != GetParent(c)) continue;
            std::string otherClass = className(other);
            if (container(other, otherClass) || other < c) continue;
            RECT a = inkOf(other), mine = inkOf(c), both;
            if (IntersectRect(&both, &mine, &a))
                faults += who + " " + rectText(inside) + " overlaps " + std::to_string(GetDlgCtrlID(other)) + " " +
                          otherClass + " " + rectText(a) + "\n";
        }
    }
    return faults;
}

// Rows of the time display that hold text-coloured pixels: the digits' height.
int textHeight(HWND main) {
    RECT display{0, display::view.top, display::view.width, display::view.top + display::view.height};
    inproc::Shot shot = inproc::shoot(main, display);
    COLORREF ink = display::drawColour(settings::record.textColour[0]);
    int first = -1, last = -1;
    for (int y = display.top; y < display.bottom; ++y) {
        RECT row{display.left, y, display.right, y + 1};
        if (shot.count(row, ink) == 0) continue;
        if (first < 0) first = y;
        last = y;
    }
    return first < 0 ? 0 : last - first + 1;
}

// The client area's pixels but the up-down arrows: Wine draws those at the
// screen's scale whatever the window's, so they differ after a move.
uint32_t pixelSum(HWND main) {
    RECT client;
    GetClientRect(main, &client);
    inproc::Shot shot = inproc::shoot(main, client);
    std::vector<RECT> arrows;
    for (HWND c : childrenOf(main))
        if (className(c) == UPDOWN_CLASSA) arrows.push_back(placeOf(c));
    uint32_t sum = 2166136261u;   // FNV-1a
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            POINT p{x, y};
            bool skip = false;
            for (const RECT& r : arrows) skip = skip || PtInRect(&r, p);
            if (!skip) sum = (sum ^ shot.at(x, y)) * 16777619u;
        }
    }
    return sum;
}

void redrawAndSettle(HWND main) {
    SetFocus(main);   // no caret blinking in an edit
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    inproc::pump(400);
}

int iconWidth(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return 0;
    BITMAP bm{};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return bm.bmWidth;
}

// The main window's layout, as lines a start and a change of scale must share.
// `redraw` false: as the window drew itself, nothing asked again.
void describeMain(HWND main, Report& out, bool redraw = true) {
    if (redraw) redrawAndSettle(main);
    RECT client;
    GetClientRect(main, &client);
    out["main.client"] = std::to_string(client.right) + "," + std::to_string(client.bottom);
    for (HWND c : childrenOf(main)) {
        LOGFONTA font{};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)), sizeof font, &font);
        out["main.control." + std::to_string(GetDlgCtrlID(c))] =
            rectText(placeOf(c)) + " font " + std::to_string(font.lfHeight);
    }
    out["main.display"] = std::to_string(display::view.top) + " " + std::to_string(display::view.width) + "x" +
                          std::to_string(display::view.height);
    out["main.text"] = std::to_string(textHeight(main));
    out["main.pixels"] = std::to_string(pixelSum(main));
    out["main.icon"] = std::to_string(iconWidth(app::smallIcon));
}

// The same digits in "使用字体大小" at 60, the height a user set.
int fixedTextHeight(HWND main) {
    settings::record.textSizeMode[0] = 2;
    settings::record.fontHeight[0] = 60;
    countdown::state.displayDirty = 1;
    redrawAndSettle(main);
    int h = textHeight(main);
    settings::record.textSizeMode[0] = 1;
    redrawAndSettle(main);
    return h;
}

void saveShot(HWND window, const std::string& name) {
    std::string folder = env("TIV_SCALE_SHOTS");
    if (folder.empty()) return;
    std::string scale = env("TIV_SCALE_TO").empty() ? env("TIV_SCALE_DPI") : env("TIV_SCALE_TO");
    inproc::savePicture(window, folder + "\\" + scale + "-" + name + ".bmp");
}

struct Search { const std::function<bool(HWND)>* is; HWND found; };

BOOL CALLBACK acceptWindow(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    if (!IsWindowVisible(w) || !(*s->is)(w)) return TRUE;
    s->found = w;
    return FALSE;
}

// The first visible top-level window of `thread` that `is` accepts.
HWND findWindowOf(DWORD thread, const std::function<bool(HWND)>& is, DWORD timeoutMs = 5000) {
    Search search{&is, nullptr};
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        EnumThreadWindows(thread, acceptWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(50);
    }
    return nullptr;
}

// Posts `trigger` to the main window and keeps this thread's loop running
// while another thread finds the modal window it opens, looks at it and
// closes it. False when no such window came.
bool withModal(UINT message, WPARAM wParam, LPARAM lParam, const std::function<bool(HWND)>& is,
               const std::function<void(HWND)>& look) {
    DWORD self = GetCurrentThreadId();
    std::atomic<bool> done{false}, found{false};
    std::thread driver([&] {
        if (HWND w = findWindowOf(self, is)) {
            found = true;
            Sleep(300);   // drawn
            look(w);
        }
        done = true;
    });
    PostMessageA(app::mainWindow, message, wParam, lParam);
    inproc::pumpUntil([&] { return done.load(); }, 20000);
    driver.join();
    inproc::pump(200);
    return found;
}

bool isSheet(HWND w) { return FindWindowExA(w, nullptr, "SysTabControl32", nullptr) != nullptr; }

void lookAtSheet(HWND main, uint32_t dpi, std::string& faults) {
    bool opened = withModal(WM_COMMAND, IDC_OPTIONS, 0, isSheet, [&](HWND sheet) {
        const char* names[] = {"timer page", "quick page", "options page", "more page"};
        for (int k = 0; k < 4; ++k) {
            SendMessageA(sheet, PSM_SETCURSEL, k, 0);
            Sleep(400);
            HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
            faults += faultsOf(page, names[k]);
            if (k == 0) {
                // The colour swatches follow their rows (design pixels at 宋体 9 pt, 6 x 12 base units).
                RECT base{0, 0, 4, 8};
                MapDialogRect(page, &base);
                POINT upper{MulDiv(200, base.right, 6), MulDiv(82, base.bottom, 12)};
                POINT lower{MulDiv(200, base.right, 6), MulDiv(109, base.bottom, 12)};
                ClientToScreen(page, &upper);
                ClientToScreen(page, &lower);
                HDC screen = GetDC(nullptr);
                COLORREF u = GetPixel(screen, upper.x, upper.y), l = GetPixel(screen, lower.x, lower.y);
                ReleaseDC(nullptr, screen);
                if (u != display::drawColour(settings::record.textColour[0]) ||
                    l != display::drawColour(settings::record.backColour[0]))
                    faults += "swatches at " + std::to_string(dpi) + " dpi not where their rows are\n";
            }
            saveShot(sheet, names[k]);
        }
        faults += faultsOf(sheet, "sheet");
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        PostMessageA(sheet, WM_NULL, 0, 0);
    });
    if (!opened) faults += "the options sheet did not open\n";
    (void)main;
}

void lookAtPicker(HWND main, uint32_t dpi, std::string& faults) {
    POINT cursor{400, 300};
    SetCursorPos(cursor.x, cursor.y);
    inproc::pump(300);
    GetCursorPos(&cursor);
    RECT frame{};
    bool opened = withModal(
        WM_LBUTTONUP, 0, MAKELPARAM(20, 100), [](HWND w) { return GetDlgItem(w, IDC_QUICK_PICK1) != nullptr; },
        [&](HWND box) {
            GetWindowRect(box, &frame);
            faults += faultsOf(box, "picker");
            saveShot(box, "picker");
            PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        });
    if (!opened) {
        faults += "the quick picker did not open\n";
        return;
    }
    if (frame.left != cursor.x - at(50, dpi) || frame.top != cursor.y - at(50, dpi))
        faults += "picker at " + rectText(frame) + ", pointer at " + std::to_string(cursor.x) + "," +
                  std::to_string(cursor.y) + "\n";
    (void)main;
}

void lookAtBoxAndAbout(std::string& faults) {
    // Options in simple mode ask first: the program's own message box.
    settings::record.interfaceLevel = 0;
    bool box = withModal(
        WM_COMMAND, IDC_OPTIONS, 0, [](HWND w) { return GetDlgItem(w, 850) != nullptr; },
        [&](HWND w) {
            faults += faultsOf(w, "message box");
            saveShot(w, "box");
            PostMessageA(w, WM_COMMAND, 2, 0);
        });
    if (!box) faults += "the message box did not open\n";
    settings::record.interfaceLevel = 6;
    bool about = withModal(
        WM_COMMAND, IDC_ABOUT, 0, [](HWND w) { return GetDlgItem(w, IDC_ABOUT_NAME) != nullptr; },
        [&](HWND w) {
            faults += faultsOf(w, "about");
            saveShot(w, "about");
            PostMessageA(w, WM_COMMAND, IDOK, 0);
        });
    if (!about) faults += "the About box did not open\n";
}

void writeReport(const Report& report) {
    std::ofstream out(env("TIV_SCALE_REPORT"));
    for (const auto& [key, value] : report) out << key << "=" << value << "\n";
}

uint32_t childDpi() { return static_cast<uint32_t>(std::atoi(env("TIV_SCALE_DPI").c_str())); }

class AtScale : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(env("TIV_SCALE_REPORT").empty()) << "run by Scale.* in a process of its own";
        HDC screen = GetDC(nullptr);
        int seen = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(seen, static_cast<int>(childDpi())) << "Wine did not take LogPixels";
    }
    void TearDown() override { inproc::close(); }
};

// A start at this scale: everything scaled, nothing cut off.
TEST_F(AtScale, Start) {
    uint32_t dpi = childDpi();
    Report report;
    HWND main = inproc::open([] { settings::record.rememberPosition = 1; });
    ASSERT_NE(main, nullptr);
    inproc::putOnTop(main, 40, 40, at(135, dpi), at(120, dpi));
    EXPECT_EQ(platform::windowDpi(main), dpi);
    std::string faults;
    struct { int id, x, w; } buttons[] = {{IDC_STARTSTOP, 3, 60}, {IDC_RESET, 64, 60}, {IDC_SIMPLE, 130, 60},
                                          {IDC_OPTIONS, 192, 60}, {IDC_SHOWHELP, 254, 60}, {IDC_ABOUT, 316, 60}};
    for (const auto& b : buttons) {
        RECT r = placeOf(GetDlgItem(main, b.id));
        RECT want{at(b.x, dpi), at(3, dpi), at(b.x, dpi) + at(b.w, dpi), at(3, dpi) + at(25, dpi)};
        if (std::abs(r.left - want.left) > 1 || std::abs(r.top - want.top) > 1 ||
            std::abs((r.right - r.left) - (want.right - want.left)) > 1 ||
            std::abs((r.bottom - r.top) - (want.bottom - want.top)) > 1)
            faults += "button " + std::to_string(b.id) + " at " + rectText(r) + ", not " + rectText(want) + "\n";
    }
    RECT startStop = placeOf(GetDlgItem(main, IDC_STARTSTOP)), outer;
    report["button"] = std::to_string(startStop.right - startStop.left) + "x" +
                       std::to_string(startStop.bottom - startStop.top);
    GetWindowRect(main, &outer);
    report["outer"] = std::to_string(outer.right - outer.left) + "x" + std::to_string(outer.bottom - outer.top);
    redrawAndSettle(main);
    saveShot(main, "main");
    report["text"] = std::to_string(textHeight(main));
    report["fixedtext"] = std::to_string(fixedTextHeight(main));
    // The layout compared with a window moved here, at a size both can take.
    RECT client;
    GetClientRect(main, &client);
    inproc::putOnTop(main, 40, 40, (outer.right - outer.left) - client.right + at(300, dpi),
                     (outer.bottom - outer.top) - client.bottom + at(200, dpi));
    describeMain(main, report);
    saveShot(main, "compared");
    if (report["main.icon"] != std::to_string(at(16, dpi))) faults += "small icon " + report["main.icon"] + " wide\n";

    // Wide enough for every control, days included.
    inproc::putOnTop(main, 40, 40, at(420, dpi), at(260, dpi));
    redrawAndSettle(main);
    faults += faultsOf(main, "main window");
    saveShot(main, "main-wide");
    lookAtSheet(main, dpi, faults);
    lookAtPicker(main, dpi, faults);
    lookAtBoxAndAbout(faults);

    // Closed at this scale, it opens again where it was, as large.
    SetWindowPos(main, nullptr, 120, 90, at(300, dpi), at(200, dpi), SWP_NOZORDER);
    inproc::pump(200);
    RECT closedAt;
    GetWindowRect(main, &closedAt);
    settings::Record before = settings::record;
    SendMessageA(main, WM_CLOSE, 0, 0);   // saves, as the user's closing does
    std::vector<unsigned char> saved = driver::readFile(inproc::dataFolder() + "dTiv.dat");
    inproc::close();
    ASSERT_EQ(saved.size(), 8 + sizeof(settings::Record));
    // What the file says is what the record said: no length was stored scaled.
    const auto* bytes = reinterpret_cast<const unsigned char*>(&before);
    size_t placement = offsetof(settings::Record, windowPlacement);
    for (size_t i = 0; i < sizeof before; ++i) {
        if (i >= placement && i < placement + sizeof before.windowPlacement) continue;
        if (saved[8 + i] != bytes[i]) {
            faults += "saved byte " + std::to_string(i) + " is " + std::to_string(saved[8 + i]) + ", the record's " +
                      std::to_string(bytes[i]) + "\n";
            break;
        }
    }
    main = inproc::open([&] { std::memcpy(&settings::record, saved.data() + 8, sizeof settings::record); });
    ASSERT_NE(main, nullptr);
    RECT openedAt;
    GetWindowRect(main, &openedAt);
    if (!EqualRect(&openedAt, &closedAt))
        faults += "closed at " + rectText(closedAt) + ", opened at " + rectText(openedAt) + "\n";
    report["faults"] = std::to_string(std::count(faults.begin(), faults.end(), '\n'));
    writeReport(report);
    EXPECT_EQ(faults, "") << "at " << dpi << " dpi";
}

// A start at another scale, then the window moved to a monitor of this one.
TEST_F(AtScale, Change) {
    uint32_t to = static_cast<uint32_t>(std::atoi(env("TIV_SCALE_TO").c_str()));
    int clientW = 0, clientH = 0;
    ASSERT_EQ(std::sscanf(env("TIV_SCALE_CLIENT").c_str(), "%d,%d", &clientW, &clientH), 2);
    Report report;
    HWND main = inproc::open();
    ASSERT_NE(main, nullptr);
    uint32_t dpi = childDpi();
    inproc::putOnTop(main, 40, 40, at(135, dpi), at(120, dpi));
    redrawAndSettle(main);
    report["before.text"] = std::to_string(textHeight(main));
    report["before.fixedtext"] = std::to_string(fixedTextHeight(main));
    // The rectangle Windows suggests keeps the client area a start at that
    // scale has; this frame is the one the system draws here.
    RECT outer, client;
    GetWindowRect(main, &outer);
    GetClientRect(main, &client);
    RECT suggested{outer.left, outer.top, outer.left + clientW + (outer.right - outer.left - client.right),
                   outer.top + clientH + (outer.bottom - outer.top - client.bottom)};
    SendMessageA(main, app::kMsgDpiChanged, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    inproc::pump(600);
    RECT now;
    GetWindowRect(main, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested)) << rectText(now) << " not " << rectText(suggested);
    describeMain(main, report, false);
    saveShot(main, "moved-from-" + std::to_string(dpi));
    writeReport(report);
}

// ---- The comparisons

// LogPixels for the processes started while this lives; the old value after.
class LogPixels {
public:
    explicit LogPixels(DWORD dpi) {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &key_, nullptr);
        DWORD size = sizeof old_;
        had_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) ==
               ERROR_SUCCESS;
        RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
    ~LogPixels() {
        if (had_) RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
        else RegDeleteValueA(key_, "LogPixels");
        RegCloseKey(key_);
    }
    LogPixels(const LogPixels&) = delete;
    LogPixels& operator=(const LogPixels&) = delete;

private:
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool had_ = false;
};

struct Child {
    bool ran = false;
    DWORD exitCode = 1;
    Report report;
    std::string log;
};

// Runs AtScale.`test` in a child of this program at `dpi`, with `extra`
// variables set for it.
Child runChild(DWORD dpi, const char* test, const std::map<std::string, std::string>& extra) {
    Child child;
    std::string folder = driver::newTempFolder("tivscale");
    std::string reportPath = folder + "report.txt", logPath = folder + "log.txt";
    std::map<std::string, std::string> vars = extra;
    vars["TIV_SCALE_DPI"] = std::to_string(dpi);
    vars["TIV_SCALE_REPORT"] = reportPath;
    for (const auto& [k, v] : vars) SetEnvironmentVariableA(k.c_str(), v.c_str());
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string line = std::string("\"") + self + "\" --gtest_filter=AtScale." + test;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE log = CreateFileA(logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = log;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    {
        LogPixels scale(dpi);
        std::vector<char> cmd(line.begin(), line.end());
        cmd.push_back('\0');
        if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
            child.ran = WaitForSingleObject(pi.hProcess, 90000) == WAIT_OBJECT_0;
            if (!child.ran) TerminateProcess(pi.hProcess, 1);
            WaitForSingleObject(pi.hProcess, 5000);
            GetExitCodeProcess(pi.hProcess, &child.exitCode);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
    }
    CloseHandle(log);
    for (const auto& [k, v] : vars) SetEnvironmentVariableA(k.c_str(), nullptr);
    {   // closed before the folder goes
        std::ifstream in(reportPath);
        for (std::string entry; std::getline(in, entry);) {
            size_t eq = entry.find('=');
            if (eq != std::string::npos) child.report[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
        std::ifstream logIn(logPath);
        std::stringstream text;
        text << logIn.rdbuf();
        child.log = text.str();
    }
    driver::removeFolder(folder);
    return child;
}

class Scale : public ::testing::TestWithParam<DWORD> {};

// A start at each scale is whole and scaled; a window moved there from
// another scale looks exactly like it; and the digits grow with the scale.
TEST_P(Scale, StartAndMoveHereLookAlike) {
    DWORD dpi = GetParam(), other = dpi == 96 ? 144 : 96;
    Child start = runChild(dpi, "Start", {});
    ASSERT_TRUE(start.ran) << "no end in 90 s";
    EXPECT_EQ(start.exitCode, 0u) << start.log;
    ASSERT_FALSE(start.report.empty()) << start.log;
    EXPECT_EQ(start.report["button"], std::to_string(at(60, dpi)) + "x" + std::to_string(at(25, dpi)));
    EXPECT_EQ(start.report["outer"], std::to_string(at(135, dpi)) + "x" + std::to_string(at(120, dpi)));

    Child moved = runChild(other, "Change", {{"TIV_SCALE_TO", std::to_string(dpi)},
                                             {"TIV_SCALE_CLIENT", start.report["main.client"]}});
    ASSERT_TRUE(moved.ran) << "no end in 90 s";
    EXPECT_EQ(moved.exitCode, 0u) << moved.log;
    for (const auto& [key, value] : start.report) {
        if (key.rfind("main.", 0) != 0) continue;
        EXPECT_EQ(moved.report[key], value) << key << ", moved from " << other;
    }

    // Larger scale, larger digits: the proportional text and a height the user set.
    int here = std::atoi(start.report["text"].c_str()), there = std::atoi(moved.report["before.text"].c_str());
    int fixedHere = std::atoi(start.report["fixedtext"].c_str());
    int fixedThere = std::atoi(moved.report["before.fixedtext"].c_str());
    EXPECT_GT(here, 0);
    EXPECT_GT(fixedHere, 0);
    if (dpi > other) {
        EXPECT_GT(here, there);
        EXPECT_GT(fixedHere, fixedThere);
    } else {
        EXPECT_LT(here, there);
        EXPECT_LT(fixedHere, fixedThere);
    }
}

INSTANTIATE_TEST_SUITE_P(, Scale, ::testing::Values(96, 120, 144, 192),
                         [](const ::testing::TestParamInfo<DWORD>& p) { return "At" + std::to_string(p.param); });

}  // namespace
