// Long runs of the paths that make GDI and USER objects and threads, on the
// real main window in this process, checked from the process's side: what it
// holds after a loop must be what it held before.
//
// Under Wine GetGuiResources answers 0 for every process, so the objects are
// counted through the handle tables themselves: Wine accepts a handle made of
// the table index alone (its reuse counter left 0) in GetObjectType for the
// process's GDI table, and in IsMenu, DrawIconEx and CopyAcceleratorTableA
// for this process's part of the USER table. Windows are enumerated, threads
// listed by a Toolhelp snapshot. The LeakCounters tests show that these
// counts see what is left behind.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "alarm_support.h"
#include "app/window_win.h"
#include "countdown/alarm.h"
#include "countdown/engine.h"
#include "dialogs/menu_win.h"
#include "display/geometry.h"
#include "display/paint_win.h"
#include "inproc.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "settings/record.h"
#include "settings/words.h"
#include "sound/sound.h"

namespace {

// Wine's tables: GDI handles 0..0xFFFF, USER handles 0x20, 0x22 .. 0xFFEE.
constexpr unsigned kGdiSlots = 0x10000;
constexpr unsigned kFirstUserHandle = 0x20;
constexpr unsigned kLastUserHandle = 0xFFEF;

struct Held {
    int gdi[16] = {};   // by GetObjectType
    int windows = 0, menus = 0, icons = 0, accelerators = 0;
    int threads = 0;
    int kernelHandles = 0;
    SIZE_T privateBytes = 0;

    int gdiTotal() const {
        int n = 0;
        for (int c : gdi) n += c;
        return n;
    }
    int userTotal() const { return windows + menus + icons + accelerators; }
};

BOOL CALLBACK countOne(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

BOOL CALLBACK countOwnTree(HWND window, LPARAM counter) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId()) {
        countOne(window, counter);
        EnumChildWindows(window, countOne, counter);
    }
    return TRUE;
}

int ownWindows() {
    int n = 0;
    EnumWindows(countOwnTree, reinterpret_cast<LPARAM>(&n));
    for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr))
        countOwnTree(w, reinterpret_cast<LPARAM>(&n));
    return n;
}

int ownThreads() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int n = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        n += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return n;
}

// Wine's GetProcessHandleCount answers 0. Its handles are handed out lowest
// free first, so the live ones end before a long run of invalid values.
int kernelHandles() {
    int n = 0;
    for (ULONG_PTR value = 4, gap = 0; gap < 1024; value += 4) {
        DWORD flags;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++n;
            gap = 0;
        } else {
            ++gap;
        }
    }
    return n;
}

Held measure() {
    Held h;
    // USER first: the DC that DrawIconEx needs is gone before GDI is counted.
    HDC probe = CreateCompatibleDC(nullptr);
    for (unsigned value = kFirstUserHandle; value < kLastUserHandle; value += 2) {
        HANDLE handle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value));
        if (IsMenu(static_cast<HMENU>(handle))) ++h.menus;
        else if (DrawIconEx(probe, 0, 0, static_cast<HICON>(handle), 1, 1, 0, nullptr, DI_NORMAL)) ++h.icons;
        else if (CopyAcceleratorTableA(static_cast<HACCEL>(handle), nullptr, 0) > 0) ++h.accelerators;
    }
    DeleteDC(probe);
    h.windows = ownWindows();
    for (unsigned index = 1; index < kGdiSlots; ++index) {
        DWORD type = GetObjectType(reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(index)));
        if (type != 0 && type < 16) ++h.gdi[type];
    }
    h.threads = ownThreads();
    h.kernelHandles = kernelHandles();
    // Wine leaves PrivateUsage 0; its PagefileUsage is the process's resident
    // anonymous memory (on Windows, its commit charge).
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) h.privateBytes = memory.PagefileUsage;
    return h;
}

std::string describe(const Held& h) {
    static const char* const kTypes[16] = {"?", "pen", "brush", "dc", "metadc", "palette", "font", "bitmap",
                                           "region", "metafile", "memdc", "extpen", "enhmetadc", "enhmetafile",
                                           "colorspace", "?"};
    std::string gdi;
    for (int t = 1; t < 16; ++t)
        if (h.gdi[t]) gdi += std::string(gdi.empty() ? "" : ", ") + kTypes[t] + " " + std::to_string(h.gdi[t]);
    char line[400];
    std::snprintf(line, sizeof line,
                  "GDI %d (%s); USER %d (windows %d, menus %d, icons %d, accelerators %d); threads %d; "
                  "kernel handles %d; private %lu KiB",
                  h.gdiTotal(), gdi.c_str(), h.userTotal(), h.windows, h.menus, h.icons, h.accelerators, h.threads,
                  h.kernelHandles, static_cast<unsigned long>(h.privateBytes / 1024));
    return line;
}

// Wine loads a few control images (arrows, check boxes, a halftone brush)
// the first time a control happens to draw them, which may be in the middle
// of a loop; a handful of GDI objects more is that, not a leak.
constexpr int kLazyImages = 8;

bool objectsBack(const Held& before, const Held& now) {
    return now.gdiTotal() <= before.gdiTotal() + kLazyImages && now.userTotal() <= before.userTotal() &&
           now.threads <= before.threads && now.kernelHandles <= before.kernelHandles;
}

// What the process holds once the loop's last clean-up (a thread's exit, a
// closed box's window) has had time to finish. Wine finishes some of it a
// little later, later still on a loaded host: up to 8 s, spent only while
// something is above the baseline, in steps long enough that measuring does
// not starve the clean-up it waits for.
constexpr DWORD kSettleMs = 8000;

Held settledAfter(const Held& before) {
    Held now = measure();
    for (DWORD start = GetTickCount(); !objectsBack(before, now) && GetTickCount() - start < kSettleMs;) {
        inproc::pump(200);
        now = measure();
    }
    return now;
}

// What the process holds before a loop. Wine keeps the DCs that GetDC and
// BeginPaint hand out in a cache that grows, a DC and a region at a time, up
// to 64 entries as more are in use at once, and never shrinks: filled first,
// it cannot grow during the loop.
Held baseline() {
    HDC dcs[64];
    for (HDC& dc : dcs) dc = GetDC(nullptr);
    for (HDC dc : dcs) ReleaseDC(nullptr, dc);
    return measure();
}

// Nothing more than before: no object, thread or kernel handle, and the
// private bytes grown by no more than `allowance`: the noise of the heap and
// of Wine's caches and, where threads come and go, of their stacks (under
// Wine an ended thread leaves about 1 MiB in the count, and a loop of
// PlaySoundA calls alone swings it by 2 MiB).
void expectNothingLeft(const char* loop, const Held& before, const Held& after, SIZE_T allowance) {
    EXPECT_LE(after.gdiTotal(), before.gdiTotal() + kLazyImages) << loop;
    EXPECT_LE(after.userTotal(), before.userTotal()) << loop;
    EXPECT_LE(after.threads, before.threads) << loop;
    EXPECT_LE(after.kernelHandles, before.kernelHandles) << loop;
    EXPECT_LE(after.privateBytes, before.privateBytes + allowance) << loop;
    std::printf("[  leaks   ] %s\n             before: %s\n             after:  %s\n", loop, describe(before).c_str(),
                describe(after).c_str());
}

DWORD WINAPI waitForRelease(LPVOID release) {
    WaitForSingleObject(release, 10000);
    return 0;
}

// One of each kind of thing the counts look for, made and released. Its
// threads are the system's, as the program's are: the thread runtime behind
// std::thread makes an event of its own at some start or join, when depends
// on timing, and keeps it for good (one kernel handle more after the sample,
// now and then under load).
struct Sample {
    std::vector<HGDIOBJ> gdi;
    HDC memory = nullptr;
    std::vector<HMENU> menus;
    std::vector<HWND> windows;
    std::vector<HICON> icons;
    HACCEL table = nullptr;
    HANDLE release = nullptr;
    std::vector<HANDLE> threads;
    char* block = nullptr;
    static constexpr SIZE_T kBytes = 16 << 20;

    void make() {
        for (int i = 0; i < 40; ++i) gdi.push_back(CreateSolidBrush(RGB(i, 0, 0)));
        for (int i = 0; i < 30; ++i) gdi.push_back(CreateFontA(20 + i, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
        HDC screen = GetDC(nullptr);
        gdi.push_back(CreateCompatibleBitmap(screen, 16, 16));
        ReleaseDC(nullptr, screen);
        memory = CreateCompatibleDC(nullptr);
        for (int i = 0; i < 20; ++i) menus.push_back(CreatePopupMenu());
        for (int i = 0; i < 5; ++i)
            windows.push_back(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
        BYTE andBits[32 * 4], xorBits[32 * 4];
        std::memset(andBits, 0xFF, sizeof andBits);
        std::memset(xorBits, 0, sizeof xorBits);
        for (int i = 0; i < 3; ++i) icons.push_back(CreateIcon(nullptr, 32, 32, 1, 1, andBits, xorBits));
        ACCEL keys[2] = {{FVIRTKEY, 'A', 1}, {FVIRTKEY, 'B', 2}};
        table = CreateAcceleratorTableA(keys, 2);
        release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        for (int i = 0; i < 3; ++i) threads.push_back(CreateThread(nullptr, 0, waitForRelease, release, 0, nullptr));
        block = static_cast<char*>(VirtualAlloc(nullptr, kBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (block) std::memset(block, 1, kBytes);
    }

    void drop() {
        for (HGDIOBJ o : gdi) DeleteObject(o);
        gdi.clear();
        DeleteDC(memory);
        for (HMENU m : menus) DestroyMenu(m);
        menus.clear();
        for (HWND w : windows) DestroyWindow(w);
        windows.clear();
        for (HICON i : icons) DestroyIcon(i);
        icons.clear();
        DestroyAcceleratorTable(table);
        SetEvent(release);
        for (HANDLE t : threads) {
            WaitForSingleObject(t, INFINITE);
            CloseHandle(t);
        }
        threads.clear();
        CloseHandle(release);
        VirtualFree(block, 0, MEM_RELEASE);
    }
};

// The counts see each kind of object, thread and memory left behind, and see
// it go when it is released.
TEST(LeakCounters, SeeWhatIsLeftBehindAndItsRelease) {
    // The thread's first window brings its IME window, which its last one
    // takes along: one window stays throughout.
    HWND stays = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(stays, nullptr);
    Sample sample;
    sample.make();   // once first: some of Wine's own comes with the first use
    sample.drop();
    inproc::pump(200);
    Held before = baseline();
    ASSERT_GT(before.gdiTotal(), 0) << "the stock objects at least";
    ASSERT_GT(before.threads, 0);
    ASSERT_GT(before.kernelHandles, 0);
    ASSERT_GT(before.privateBytes, 0u);

    sample.make();
    ASSERT_NE(sample.block, nullptr);
    Held during = measure();
    EXPECT_EQ(during.gdi[OBJ_BRUSH] - before.gdi[OBJ_BRUSH], 40);
    EXPECT_EQ(during.gdi[OBJ_FONT] - before.gdi[OBJ_FONT], 30);
    EXPECT_EQ(during.gdi[OBJ_BITMAP] - before.gdi[OBJ_BITMAP], 1 + 3) << "Wine keeps each icon's mask as a bitmap";
    EXPECT_EQ(during.gdi[OBJ_MEMDC] - before.gdi[OBJ_MEMDC], 1);
    EXPECT_EQ(during.menus - before.menus, 20);
    EXPECT_EQ(during.windows - before.windows, 5);
    EXPECT_EQ(during.icons - before.icons, 3);
    EXPECT_EQ(during.accelerators - before.accelerators, 1);
    EXPECT_EQ(during.threads - before.threads, 3);
    EXPECT_GE(during.kernelHandles - before.kernelHandles, 4) << "the event and three threads";
    EXPECT_GE(during.privateBytes, before.privateBytes + Sample::kBytes);
    sample.drop();
    expectNothingLeft("the counters' own sample", before, settledAfter(before), 1 << 20);
    DestroyWindow(stays);
}

DWORD WINAPI endAtOnce(LPVOID) { return 0; }

// The wait for a late clean-up does not hide a kernel handle that stays
// open: it is still above the baseline once settled, and back when closed.
TEST(LeakCounters, SeeAKernelHandleLeftOpenAfterSettling) {
    struct Row {
        const char* name;
        std::function<HANDLE()> open;
    } rows[] = {
        {"an event never closed", [] { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }},
        {"an ended thread's handle never closed", [] {
             HANDLE thread = CreateThread(nullptr, 0, endAtOnce, nullptr, 0, nullptr);
             if (thread) WaitForSingleObject(thread, 5000);
             return thread;
         }},
    };
    for (const Row& row : rows) CloseHandle(row.open());   // Wine's own comes with the first use
    inproc::pump(200);
    for (const Row& row : rows) {
        Held before = baseline();
        HANDLE left = row.open();
        ASSERT_NE(left, nullptr) << row.name;
        Held settled = settledAfter(before);
        EXPECT_FALSE(objectsBack(before, settled)) << row.name << ": " << describe(settled);
        EXPECT_GT(settled.kernelHandles, before.kernelHandles) << row.name;
        CloseHandle(left);
        settled = settledAfter(before);
        EXPECT_TRUE(objectsBack(before, settled)) << row.name << ", closed: " << describe(settled);
    }
}

// Wine's GDI table is finite: a paint path that lost an object each time
// would soon find CreateFontA and CreateCompatibleBitmap failing.
TEST(LeakCounters, GdiTableHoldsAbout64KObjects) {
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    std::vector<HGDIOBJ> all;
    while (HBRUSH b = CreateSolidBrush(RGB(1, 2, 3))) all.push_back(b);
    int live = measure().gdiTotal();
    HFONT font = CreateFontA(20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    for (HGDIOBJ o : all) DeleteObject(o);
    ReleaseDC(nullptr, screen);
    if (font) DeleteObject(font);
    if (bitmap) DeleteObject(bitmap);
    std::printf("[  leaks   ] the GDI table held %d live objects\n", live);
    EXPECT_GT(live, 65000);
    EXPECT_LE(live, 65536);
    EXPECT_EQ(font, nullptr) << "a font with the table full";
    EXPECT_EQ(bitmap, nullptr) << "a bitmap with the table full";
    EXPECT_LT(measure().gdiTotal(), 1000);
}

class Leaks : public ::testing::Test {
protected:
    HWND main = nullptr;
    void TearDown() override {
        alarms::endAlarms(main);
        inproc::close();
    }
};

RECT displayArea() {
    return {0, display::view.top, display::view.width, display::view.top + display::view.height};
}

// Four slots, each painted with its own brush and font (and the mark's) into
// the kept back buffer through a memory DC: ten GDI objects made and deleted
// a paint, a hundred thousand in all, more than Wine's GDI table can hold.
// The paint is called as WM_PAINT calls it, without the message's round
// trip, which would double the run time.
TEST_F(Leaks, PaintingFourTimersTenThousandTimes) {
    const int kPaints = 10000;
    main = inproc::open([] {
        settings::Record& r = settings::record;
        r.timerCountIndex = 3;
        const uint32_t lengths[4] = {3723000, 600000, 59000, 7000};
        for (int s = 0; s < 4; ++s) r.durationMs[s] = lengths[s];
    });
    ASSERT_NE(main, nullptr);
    inproc::putOnTop(main, 20, 20, 420, 320);
    auto resizeAndBack = [&] {
        // A new size drops the back buffer: the next paint makes a new one.
        SetWindowPos(main, nullptr, 0, 0, 430, 330, SWP_NOMOVE | SWP_NOZORDER);
        inproc::pump(100);
        SetWindowPos(main, nullptr, 0, 0, 420, 320, SWP_NOMOVE | SWP_NOZORDER);
        inproc::pump(300);
    };
    RECT area = displayArea();
    for (int i = 0; i < 500; ++i) RedrawWindow(main, &area, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    resizeAndBack();
    area = displayArea();
    inproc::Shot first = inproc::shoot(main, area);
    for (uint32_t slot = 0; slot < 4; ++slot) {
        display::Rect s = display::slotArea(3, slot, display::view.width, display::view.height);
        RECT r{s.left, s.top + display::view.top, s.right, s.bottom + display::view.top};
        COLORREF back = display::drawColour(settings::record.backColour[slot]);
        int all = (r.right - r.left) * (r.bottom - r.top);
        int ink = all - first.count(r, back);
        EXPECT_GT(ink, 50) << "slot " << slot << " shows " << countdown::state.slots[slot].text;
        EXPECT_GT(first.count(r, back), all / 2) << "slot " << slot;
    }

    Held before = baseline();
    int painted = 0;
    // Every slot's last digit flips on each paint, so each paint draws all four slots; an
    // even count leaves the texts as they were.
    size_t lastDigit[4];
    char digit[4];
    for (uint32_t s = 0; s < 4; ++s) {
        lastDigit[s] = std::strlen(countdown::state.slots[s].text) - 1;
        digit[s] = countdown::state.slots[s].text[lastDigit[s]];
        ASSERT_NE(digit[s], '8');
    }
    DWORD start = GetTickCount();
    for (int i = 0; i < kPaints; ++i) {
        for (uint32_t s = 0; s < 4; ++s) countdown::state.slots[s].text[lastDigit[s]] = i % 2 ? digit[s] : '8';
        countdown::state.displayDirty = 1;   // the paint clears it
        InvalidateRect(main, &area, FALSE);
        display::paintMain(main);
        painted += countdown::state.displayDirty == 0;
    }
    DWORD took = GetTickCount() - start;
    std::printf("[  leaks   ] %d paints took %lu ms\n", kPaints, static_cast<unsigned long>(took));
    EXPECT_EQ(painted, kPaints);

    resizeAndBack();
    RECT now = displayArea();
    ASSERT_TRUE(EqualRect(&area, &now));
    inproc::Shot last = inproc::shoot(main, area);
    int changed = 0;
    for (size_t i = 0; i < first.pixels.size(); ++i) changed += first.pixels[i] != last.pixels[i];
    EXPECT_EQ(changed, 0) << "pixels of the display differ after the paints";
    expectNothingLeft("paints", before, settledAfter(before), 1 << 20);
}

// Built in each shape the state can give it: submenus for the timers, the
// days, the words file's sounds and texts, a control block, or none of them.
// Then some are shown and closed, so that the program destroys them itself.
TEST_F(Leaks, ContextMenuBuiltTenThousandTimes) {
    const int kBuilds = 10000, kShown = 50;
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    std::string file = "*sounds\r\nBell & co\r\nC:\\bell.wav\r\nGong\r\nC:\\gong.wav\r\n"
                       "*text\r\nTea is ready\r\nGo\r\n";
    words::resetWords();
    ASSERT_TRUE(words::parseWords(reinterpret_cast<const unsigned char*>(file.data()), file.size()));
    const settings::Record saved = settings::record;
    struct Row {
        const char* name;
        std::function<void(settings::Record&)> set;
    } rows[] = {
        {"every submenu", [](settings::Record&) {}},
        {"simple mode", [](settings::Record& r) { r.interfaceLevel = 0; }},
        {"no submenus, hidden buttons", [](settings::Record& r) {
             r.hideButtons = 1;
             r.menuTimers = r.menuDays = r.menuSound = r.menuText = r.menuMute = r.menuSeconds = 0;
         }},
        {"in the tray, counting", [](settings::Record&) {
             platform::windowState = platform::kWindowTray;
             countdown::state.slots[0].runState = countdown::kCounting;
         }},
    };
    auto build = [&](const Row& row) {
        settings::record = saved;
        platform::windowState = platform::kWindowNormal;
        countdown::state.slots[0].runState = countdown::kIdle;
        row.set(settings::record);
        HMENU menu = dialogs::buildContextMenu();
        int items = GetMenuItemCount(menu);
        DestroyMenu(menu);
        return items;
    };
    std::vector<int> shapes;
    for (const Row& row : rows) shapes.push_back(build(row));
    EXPECT_EQ(shapes, (std::vector<int>{13, 5, 11, 17})) << "items of each shape";

    Held before = baseline();
    int wrong = 0;
    DWORD start = GetTickCount();
    for (int i = 0; i < kBuilds; ++i) {
        size_t shape = static_cast<size_t>(i) % shapes.size();
        wrong += build(rows[shape]) != shapes[shape];
    }
    DWORD took = GetTickCount() - start;
    EXPECT_EQ(wrong, 0) << "builds of another shape than the first";
    std::printf("[  leaks   ] %d menus took %lu ms\n", kBuilds, static_cast<unsigned long>(took));
    expectNothingLeft("menus built", before, settledAfter(before), 1 << 20);

    settings::record = saved;
    platform::windowState = platform::kWindowNormal;
    countdown::state.slots[0].runState = countdown::kIdle;
    // The right-click as the window gets it; the menu closes itself 10 ms on.
    auto show = [&] {
        inproc::closeMenuAfter(10);
        SendMessageA(main, WM_RBUTTONUP, 0, MAKELPARAM(5, display::view.top + 5));
        return inproc::menuWasOpen();
    };
    ASSERT_TRUE(show()) << "the first menu shown sets up what every later one uses";
    before = baseline();
    int shown = 0;
    start = GetTickCount();
    for (int i = 0; i < kShown; ++i) shown += show();
    took = GetTickCount() - start;
    EXPECT_EQ(shown, kShown);
    std::printf("[  leaks   ] %d shown menus took %lu ms\n", kShown, static_cast<unsigned long>(took));
    expectNothingLeft("menus shown", before, settledAfter(before), 1 << 20);
}

bool sequenceOver() {
    return countdown::alarmBusy == 0 && countdown::state.sequenceState[0] == countdown::kSequenceNone &&
           countdown::repeatSlot == countdown::kNoSlot && countdown::state.slots[0].runState == countdown::kIdle &&
           sound::state.mediaLoaded == 0 && alarms::finishBoxes().empty();
}

// Pumps in short steps: a sequence hands over between its thread and this
// one several times.
bool pumpBriefly(const std::function<bool()>& done, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); !done();) {
        if (GetTickCount() - start > timeoutMs) return false;
        inproc::pump(2);
    }
    return true;
}

// Each sequence has its own thread and finish window, a repeat timer, and a
// sound: the system's, a repeated WAV file, or a MIDI file that opens a new
// media window at every repeat.
TEST_F(Leaks, HundredAlarmSequences) {
    const int kAlarms = 100;
    // The repeat steps are the test's to send: the window's own repeat timer
    // waits a minute.
    main = alarms::openWithCount(1000, [](settings::Record& r) { r.repeatIntervalMs[0] = 60000; });
    ASSERT_NE(main, nullptr);
    std::string wave = inproc::dataFolder() + "bell.wav", midi = inproc::dataFolder() + "tune.mid";
    alarms::writeWave(wave);
    alarms::writeMidi(midi);
    const settings::Record saved = settings::record;
    struct Kind {
        const char* name;
        std::function<void(settings::Record&)> set;
    } kinds[] = {
        {"finish window, flashing", [](settings::Record&) {}},
        {"no finish window", [](settings::Record& r) { r.showFinishWindow = 0; }},
        {"WAV file repeated", [&](settings::Record& r) {
             r.soundType[0] = sound::kTypeFile;
             settings::copyField(r.soundPath[0], wave.c_str());
             r.repeatSound[0] = 1;
         }},
        {"MIDI file repeated", [&](settings::Record& r) {
             r.soundType[0] = sound::kTypeFile;
             settings::copyField(r.soundPath[0], midi.c_str());
             r.repeatSound[0] = 1;
         }},
    };
    // Started, then ended by the tick that finds its time over; the window
    // timers' messages are sent at once rather than waited for.
    auto alarm = [&](const Kind& kind) -> std::string {
        settings::record = saved;
        kind.set(settings::record);
        SendMessageA(main, WM_COMMAND, IDC_STARTSTOP, 0);
        if (countdown::state.slots[0].runState != countdown::kCounting) return "did not start";
        countdown::state.slots[0].clockMark -= countdown::state.slots[0].runLengthMs + 100;
        SendMessageA(main, WM_TIMER, TIMER_TICK, 0);
        if (settings::record.showFinishWindow) {
            HWND box = nullptr;
            auto shown = [&] {
                std::vector<HWND> boxes = alarms::finishBoxes();
                box = boxes.empty() ? nullptr : boxes.front();
                return box != nullptr;
            };
            if (!pumpBriefly(shown, 3000)) return "no finish window";
            for (uint32_t phase : {2u, 3u}) {   // two repeat steps: flash, and the sound again
                SendMessageA(main, WM_TIMER, TIMER_REPEAT, 0);
                if (countdown::state.slots[0].runState != phase) return "no repeat step";
            }
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        if (!pumpBriefly([] { return countdown::state.sequenceState[0] == countdown::kSequenceNone; }, 3000))
            return "the sequence did not end";
        SendMessageA(main, WM_TIMER, TIMER_REPEAT, 0);   // the repeat timer sees the end and stops
        if (!pumpBriefly(sequenceOver, 3000)) return "something of the sequence stayed";
        return "";
    };
    // Wine's sound and media code grows its heap over the first few dozen.
    for (int i = 0; i < 20; ++i) ASSERT_EQ(alarm(kinds[i % 4]), "") << kinds[i % 4].name;

    Held before = baseline();
    DWORD start = GetTickCount();
    for (int i = 0; i < kAlarms; ++i) {
        const Kind& kind = kinds[i % 4];
        ASSERT_EQ(alarm(kind), "") << kind.name << ", alarm " << i;
    }
    DWORD took = GetTickCount() - start;
    std::printf("[  leaks   ] %d alarms took %lu ms\n", kAlarms, static_cast<unsigned long>(took));
    expectNothingLeft("alarms", before, settledAfter(before), 3 << 20);
}

struct SheetSearch {
    DWORD thread;
    HWND sheet;
};

BOOL CALLBACK findSheet(HWND window, LPARAM lp) {
    auto* search = reinterpret_cast<SheetSearch*>(lp);
    if (GetWindowThreadProcessId(window, nullptr) != search->thread || !IsWindowVisible(window)) return TRUE;
    if (!FindWindowExA(window, nullptr, "SysTabControl32", nullptr)) return TRUE;
    search->sheet = window;
    return FALSE;
}

int tooltipTools() { return static_cast<int>(SendMessageA(app::tooltip, TTM_GETTOOLCOUNT, 0, 0)); }

// Each opening makes the sheet and its first page; every fifth also shows the
// other two (each makes its controls and tooltips when first shown). OK and
// Cancel close it turn about.
TEST_F(Leaks, OptionsSheetOpenedFiftyTimes) {
    const int kOpenings = 50;
    main = inproc::open();
    ASSERT_NE(main, nullptr);
    DWORD self = GetCurrentThreadId();
    auto openOnce = [&](int i) {
        std::atomic<bool> closed{false};
        std::thread user([&] {
            SheetSearch search{self, nullptr};
            for (DWORD start = GetTickCount(); !search.sheet && GetTickCount() - start < 10000; Sleep(2))
                EnumWindows(findSheet, reinterpret_cast<LPARAM>(&search));
            if (!search.sheet) return;
            if (i % 5 == 0)
                for (int page : {1, 2, 3, 0}) SendMessageA(search.sheet, PSM_SETCURSEL, page, 0);
            SendMessageA(search.sheet, PSM_PRESSBUTTON, i % 2 ? PSBTN_OK : PSBTN_CANCEL, 0);
            PostMessageA(search.sheet, WM_NULL, 0, 0);
            closed = true;
        });
        SendMessageA(main, WM_COMMAND, IDC_OPTIONS, 0);
        user.join();
        return closed.load();
    };
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(openOnce(i));
    int tools = tooltipTools();

    Held before = baseline();
    DWORD start = GetTickCount();
    int closed = 0;
    for (int i = 0; i < kOpenings; ++i) closed += openOnce(i);
    DWORD took = GetTickCount() - start;
    EXPECT_EQ(closed, kOpenings);
    std::printf("[  leaks   ] %d sheets took %lu ms\n", kOpenings, static_cast<unsigned long>(took));
    expectNothingLeft("options sheets", before, settledAfter(before), 2 << 20);
    EXPECT_EQ(tooltipTools(), tools) << "tools of closed pages left in the main window's tooltip";
}

}  // namespace
