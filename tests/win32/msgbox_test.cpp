// The program's message box, opened in this process from a worker thread the
// way the alarm opens it, and driven with the keys a user presses.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "app/window_win.h"
#include "countdown/engine.h"
#include "driver.h"
#include "inproc.h"
#include "platform/messagebox.h"
#include "platform/platform.h"

namespace {

struct BoxRun {
    std::atomic<int> result{-1};
    std::atomic<int> done{0};
    platform::MessageRequest request;
};

DWORD WINAPI showFromWorker(LPVOID p) {
    auto* run = static_cast<BoxRun*>(p);
    run->result = static_cast<int>(platform::showMessageBox(run->request));
    run->done = 1;
    return 0;
}

HANDLE startBox(BoxRun& run) { return CreateThread(nullptr, 0, showFromWorker, &run, 0, nullptr); }

BOOL CALLBACK collectBox(HWND w, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[32] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (pid == GetCurrentProcessId() && IsWindowVisible(w) && lstrcmpA(cls, "#32770") == 0 &&
        driver::text(w) == "Tiv 1.4")
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
    return TRUE;
}

std::vector<HWND> openBoxes() {
    std::vector<HWND> boxes;
    EnumWindows(collectBox, reinterpret_cast<LPARAM>(&boxes));
    return boxes;
}

// Closes the first box after a while, then the second one when it shows.
// Before the first closes, the main window must answer a sent message: its
// thread is waiting for its turn then.
struct Closer {
    HWND first;
    HWND main;
    std::atomic<int> mainAnswered{0};
    std::atomic<int> secondSeen{0};
};

DWORD WINAPI closeBothBoxes(LPVOID p) {
    auto* c = static_cast<Closer*>(p);
    Sleep(2500);
    DWORD_PTR unused = 0;
    c->mainAnswered = SendMessageTimeoutA(c->main, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &unused) ? 1 : 2;
    PostMessageA(c->first, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 250; ++i, Sleep(20)) {
        for (HWND w : openBoxes()) {
            if (w == c->first) continue;
            c->secondSeen = driver::itemText(w, 850) == "second" ? 1 : 2;
            PostMessageA(w, WM_COMMAND, IDOK, 0);
            return 0;
        }
    }
    return 0;
}

HWND waitBox() {
    HWND box = nullptr;
    inproc::pumpUntil([&] {
        auto boxes = openBoxes();
        box = boxes.empty() ? nullptr : boxes.front();
        return box != nullptr;
    }, 5000);
    return box;
}

// A key as the user types it: to the control that has the box's focus.
void pressKey(HWND box, UINT key) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &info);
    HWND target = info.hwndFocus ? info.hwndFocus : box;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

class Prompt : public ::testing::Test {
protected:
    HWND main = nullptr;
    void SetUp() override { main = inproc::open(); }
    void TearDown() override { inproc::close(); }
    void finish(BoxRun& run, HANDLE thread) {
        EXPECT_TRUE(inproc::pumpUntil([&] { return run.done == 1; }, 5000)) << "the box did not close";
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
    }
};

}  // namespace

TEST_F(Prompt, DefaultsShowEmptyLinesAndOkOnlyEscapeAnswersTwo) {
    BoxRun run;
    HANDLE thread = startBox(run);
    HWND box = waitBox();
    ASSERT_NE(box, nullptr);
    for (int id = 850; id <= 853; ++id) EXPECT_EQ(driver::itemText(box, id), "") << id;
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(box, 1)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(box, 2)));
    EXPECT_TRUE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(box, GW_OWNER), main);
    inproc::pump(200);  // the focus moves to 确定 after 100 ms
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &info);
    EXPECT_EQ(info.hwndFocus, GetDlgItem(box, 1));
    pressKey(box, VK_ESCAPE);
    finish(run, thread);
    EXPECT_EQ(run.result, 2);
}

// The first run's questions come before the main window: a box asked to be
// unowned has no owner even while the main window exists.
TEST_F(Prompt, OwnedByTheMainWindowOnlyWhenAsked) {
    for (bool owned : {true, false}) {
        SCOPED_TRACE(owned ? "owned" : "unowned");
        BoxRun run;
        run.request.ownedByMainWindow = owned;
        HANDLE thread = startBox(run);
        HWND box = waitBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(GetWindow(box, GW_OWNER), owned ? main : nullptr);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        finish(run, thread);
        EXPECT_EQ(run.result, 1);
    }
}

TEST_F(Prompt, QuestionShowsCancelBesideOkAndEnterAnswersOne) {
    BoxRun run;
    run.request.style = 1;
    run.request.lines[0] = "第一行";
    run.request.lines[2] = "你真的确认你想这么做吗?";
    HANDLE thread = startBox(run);
    HWND box = waitBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::itemText(box, 850), "第一行");
    EXPECT_EQ(driver::itemText(box, 852), "你真的确认你想这么做吗?");
    ASSERT_TRUE(IsWindowVisible(GetDlgItem(box, 2)));
    RECT ok{}, cancel{};
    GetWindowRect(GetDlgItem(box, 1), &ok);
    GetWindowRect(GetDlgItem(box, 2), &cancel);
    EXPECT_GT(cancel.left, ok.right) << "取消 stands right of 确定";
    inproc::pump(200);
    pressKey(box, VK_RETURN);
    finish(run, thread);
    EXPECT_EQ(run.result, 1);
}

TEST_F(Prompt, ClosesItselfAfterThreeSecondsWhenAsked) {
    BoxRun run;
    run.request.autoCloseSeconds = 3;
    run.request.topmost = false;
    run.request.lines[1] = "这个Tiv 已完成";
    DWORD start = GetTickCount();
    HANDLE thread = startBox(run);
    HWND box = waitBox();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) << "topmost was turned off";
    EXPECT_TRUE(inproc::pumpUntil([&] { return run.done == 1; }, 6000));
    DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 2900u);
    EXPECT_LE(took, 3800u);
    EXPECT_EQ(run.result, 1);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);

    // The next box opens with its own request's defaults: on top, no lines,
    // and it stays until answered.
    BoxRun next;
    thread = startBox(next);
    box = waitBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST);
    for (int id = 850; id <= 853; ++id) EXPECT_EQ(driver::itemText(box, id), "") << id;
    EXPECT_FALSE(inproc::pumpUntil([&] { return next.done == 1; }, 4000)) << "it closed itself";
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    finish(next, thread);
    EXPECT_EQ(next.result, 2);
}

// A second box waits for the first, and the main thread that waits for its
// turn keeps answering messages and running the timers.
TEST_F(Prompt, SecondBoxWaitsAndTheMainThreadKeepsRunning) {
    BoxRun first;
    first.request.lines[1] = "first";
    HANDLE thread = startBox(first);
    HWND box = waitBox();
    ASSERT_NE(box, nullptr);

    countdown::startStop();  // a count that must go on ticking meanwhile
    std::string before = countdown::state.slots[0].text;

    Closer closer{box, main};
    HANDLE closerThread = CreateThread(nullptr, 0, closeBothBoxes, &closer, 0, nullptr);

    platform::MessageRequest second;
    second.lines[0] = "second";
    DWORD start = GetTickCount();
    uint32_t answer = platform::showMessageBox(second);  // on the main thread: pumps while it waits
    DWORD took = GetTickCount() - start;
    EXPECT_EQ(answer, 1u);
    EXPECT_GE(took, 2000u) << "the second box did not wait for the first";
    EXPECT_EQ(first.done, 1);
    EXPECT_EQ(first.result, 1);
    EXPECT_EQ(closer.mainAnswered, 1) << "the waiting main thread left a sent message unanswered";
    EXPECT_NE(std::string(countdown::state.slots[0].text), before) << "the main thread stopped while waiting";
    EXPECT_EQ(closer.secondSeen, 1) << "the second box did not show its own line";
    WaitForSingleObject(closerThread, 5000);
    CloseHandle(closerThread);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
}

// A box the system cannot open answers 0, whatever the box before it was
// answered: a question that was never shown must not count as "确定".
TEST_F(Prompt, BoxThatCannotOpenAnswersNo) {
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    struct Case {
        const char* name;
        HINSTANCE instance;   // where the template is looked for
        HWND owner;           // the main window as the box sees it
    } cases[] = {
        {"template not found", GetModuleHandleA("ntdll.dll"), main},
        {"owner window gone", app::instance, gone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BoxRun answered;
        answered.request.style = 1;
        HANDLE thread = startBox(answered);
        HWND box = waitBox();
        ASSERT_NE(box, nullptr);
        inproc::pump(200);
        pressKey(box, VK_RETURN);
        finish(answered, thread);
        ASSERT_EQ(answered.result, 1);

        HINSTANCE instance = app::instance;
        app::instance = c.instance;
        app::mainWindow = c.owner;
        BoxRun unopened;
        unopened.request.style = 1;
        thread = startBox(unopened);
        bool ended = inproc::pumpUntil([&] { return unopened.done == 1; }, 3000);
        app::instance = instance;
        app::mainWindow = main;
        for (HWND shown : openBoxes()) PostMessageA(shown, WM_COMMAND, IDCANCEL, 0);
        finish(unopened, thread);
        EXPECT_TRUE(ended) << "the box opened after all";
        EXPECT_EQ(unopened.result, 0);
    }
}
