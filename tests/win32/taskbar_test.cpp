// The taskbar button's progress and the system's wakefulness, seen from
// outside the real Tiv.exe.
//
// Wine's stubs of ITaskbarList3::SetProgressState and SetProgressValue log
// only their first call in a process (a FIXME printed once), so a debug log
// cannot show a sequence. This test watches the calls instead, as a debugger:
// a breakpoint at the entry of each stub and of NtSetThreadExecutionState in
// Tiv's process records the arguments, steps over the first instruction and
// is set again.
#include <windows.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver.h"
#include "resources/resource.h"

using namespace driver;

namespace {

const char kStart[] = "\xBF\xAA\xCA\xBC";   // 开始
const char kStop[] = "\xCD\xA3\xD6\xB9";    // 停止

// A function entry in the watched process and what its first byte held.
struct Breakpoint {
    const char* what;   // "state", "value" or "awake"
    uintptr_t at;
    unsigned char saved;
};

struct Watcher {
    DWORD pid = 0;
    std::vector<Breakpoint> points;
    CRITICAL_SECTION lock;
    std::vector<std::string> calls;   // under lock: "state 2", "value 500/6000", "awake 80000001"
    volatile LONG stop = 0;
    HANDLE ready = nullptr;   // set once the breakpoints are in, or attaching failed
    HANDLE thread = nullptr;
    std::string error;
};

// A function of a DLL: the DLL's file name and the function's offset in it.
struct Entry {
    std::string module;
    uintptr_t offset = 0;
};

// The entry of a function loaded in this process.
Entry entryOf(const void* function) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<const char*>(function), &module))
        return {};
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, sizeof path);
    const char* name = std::strrchr(path, '\\') ? std::strrchr(path, '\\') + 1 : path;
    return {name, reinterpret_cast<uintptr_t>(function) - reinterpret_cast<uintptr_t>(module)};
}

// Where the entry lies in another process; 0 while its DLL is not loaded there.
uintptr_t addressIn(DWORD pid, const Entry& function) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (function.module.empty() || snapshot == INVALID_HANDLE_VALUE) return 0;
    uintptr_t found = 0;
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szModule, function.module.c_str()) == 0)
            found = reinterpret_cast<uintptr_t>(entry.modBaseAddr) + function.offset;
    CloseHandle(snapshot);
    return found;
}

bool putByte(HANDLE process, uintptr_t at, unsigned char byte) {
    SIZE_T n = 0;
    bool ok = WriteProcessMemory(process, reinterpret_cast<void*>(at), &byte, 1, &n) && n == 1;
    FlushInstructionCache(process, reinterpret_cast<void*>(at), 1);
    return ok;
}

// The first arguments at a function's entry (ULONGLONGs take two slots on i386).
void argumentsAt(HANDLE process, const CONTEXT& c, uint64_t arg[4], bool wide) {
#ifdef _WIN64
    (void)process;
    (void)wide;
    arg[0] = c.Rcx;
    arg[1] = c.Rdx;
    arg[2] = c.R8;
    arg[3] = c.R9;
#else
    DWORD stack[7] = {};   // the return address, then the arguments
    ReadProcessMemory(process, reinterpret_cast<void*>(c.Esp), stack, sizeof stack, nullptr);
    arg[0] = stack[1];
    arg[1] = stack[2];
    arg[2] = wide ? stack[3] | uint64_t(stack[4]) << 32 : stack[3];
    arg[3] = wide ? stack[5] | uint64_t(stack[6]) << 32 : stack[4];
#endif
}

void record(Watcher& w, HANDLE process, const Breakpoint& point, const CONTEXT& c) {
    uint64_t arg[4];
    std::string what = point.what;
    argumentsAt(process, c, arg, what == "value");
    char text[64];
    if (what == "awake") std::snprintf(text, sizeof text, "awake %llx", (unsigned long long)(arg[0] & 0xFFFFFFFF));
    else if (what == "state") std::snprintf(text, sizeof text, "state %llu", (unsigned long long)arg[2]);
    else std::snprintf(text, sizeof text, "value %llu/%llu", (unsigned long long)arg[2], (unsigned long long)arg[3]);
    EnterCriticalSection(&w.lock);
    w.calls.push_back(text);
    LeaveCriticalSection(&w.lock);
}

#ifdef _WIN64
DWORD64& instructionPointer(CONTEXT& c) { return c.Rip; }
#else
DWORD& instructionPointer(CONTEXT& c) { return c.Eip; }
#endif
constexpr DWORD kTrapFlag = 0x100;

// One exception in the watched process: a breakpoint of ours records the call
// and steps over the original instruction; the step puts the breakpoint back.
DWORD onException(Watcher& w, HANDLE process, const DEBUG_EVENT& e, Breakpoint*& stepping) {
    const EXCEPTION_RECORD& r = e.u.Exception.ExceptionRecord;
    auto at = reinterpret_cast<uintptr_t>(r.ExceptionAddress);
    HANDLE thread = OpenThread(THREAD_GET_CONTEXT | THREAD_SET_CONTEXT, FALSE, e.dwThreadId);
    CONTEXT c{};
    c.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;
    DWORD status = DBG_EXCEPTION_NOT_HANDLED;
    if (r.ExceptionCode == EXCEPTION_BREAKPOINT) {
        status = DBG_CONTINUE;   // the break that attaching makes, if not ours
        for (Breakpoint& point : w.points) {
            if ((at != point.at && at != point.at + 1) || !thread || !GetThreadContext(thread, &c)) continue;
            record(w, process, point, c);
            putByte(process, point.at, point.saved);
            instructionPointer(c) = point.at;
            c.EFlags |= kTrapFlag;
            SetThreadContext(thread, &c);
            stepping = &point;
        }
    } else if (r.ExceptionCode == EXCEPTION_SINGLE_STEP && stepping) {
        putByte(process, stepping->at, 0xCC);
        stepping = nullptr;
        if (thread && GetThreadContext(thread, &c)) {
            c.EFlags &= ~kTrapFlag;
            SetThreadContext(thread, &c);
        }
        status = DBG_CONTINUE;
    }
    if (thread) CloseHandle(thread);
    return status;
}

// The debugger's thread: debug events come to the thread that attached.
DWORD WINAPI watchLoop(void* param) {
    Watcher& w = *static_cast<Watcher*>(param);
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, w.pid);
    if (!process || !DebugActiveProcess(w.pid)) {
        w.error = "cannot attach to Tiv, error " + std::to_string(GetLastError());
        if (process) CloseHandle(process);
        SetEvent(w.ready);
        return 0;
    }
    DebugSetProcessKillOnExit(FALSE);
    bool armed = true;
    for (Breakpoint& point : w.points) {
        armed = armed && ReadProcessMemory(process, reinterpret_cast<void*>(point.at), &point.saved, 1, nullptr) &&
                putByte(process, point.at, 0xCC);
    }
    if (!armed) w.error = "cannot set the breakpoints, error " + std::to_string(GetLastError());
    SetEvent(w.ready);
    Breakpoint* stepping = nullptr;
    bool exited = false;
    while (!exited) {
        DEBUG_EVENT e;
        if (!WaitForDebugEvent(&e, 100)) {
            if (w.stop && !stepping) break;
            continue;
        }
        DWORD status = DBG_CONTINUE;
        switch (e.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (e.u.CreateProcessInfo.hFile) CloseHandle(e.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (e.u.LoadDll.hFile) CloseHandle(e.u.LoadDll.hFile);
            break;
        case EXIT_PROCESS_DEBUG_EVENT: exited = true; break;
        case EXCEPTION_DEBUG_EVENT: status = onException(w, process, e, stepping); break;
        default: break;
        }
        ContinueDebugEvent(e.dwProcessId, e.dwThreadId, status);
    }
    if (!exited) {
        for (const Breakpoint& point : w.points) putByte(process, point.at, point.saved);
        DebugActiveProcessStop(w.pid);
    }
    CloseHandle(process);
    return 0;
}

void stopWatching(Watcher& w) {
    InterlockedExchange(&w.stop, 1);
    if (w.thread) {
        WaitForSingleObject(w.thread, 10000);
        CloseHandle(w.thread);
    }
    if (w.ready) CloseHandle(w.ready);
    DeleteCriticalSection(&w.lock);
}

// False, with the watcher stopped, when the breakpoints are not in.
bool startWatching(Watcher& w) {
    InitializeCriticalSection(&w.lock);
    w.ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    w.thread = CreateThread(nullptr, 0, watchLoop, &w, 0, nullptr);
    if (!w.thread || WaitForSingleObject(w.ready, 10000) != WAIT_OBJECT_0) w.error = "the debugger never got ready";
    if (w.error.empty()) return true;
    stopWatching(w);
    return false;
}

std::vector<std::string> callsOf(Watcher& w) {
    EnterCriticalSection(&w.lock);
    std::vector<std::string> calls = w.calls;
    LeaveCriticalSection(&w.lock);
    return calls;
}

int countOf(Watcher& w, const std::string& call) {
    int n = 0;
    for (const std::string& c : callsOf(w))
        if (c.compare(0, call.size(), call) == 0) ++n;
    return n;
}

// The button's calls as it shows them: "normal 500/6000" for a state and the
// value that follows it, "paused ...", "error ...", "none"; "awake ..." as is.
std::vector<std::string> shown(const std::vector<std::string>& calls) {
    std::vector<std::string> out;
    for (const std::string& call : calls) {
        if (call.compare(0, 6, "value ") == 0 && !out.empty() && out.back().find(' ') == std::string::npos) {
            out.back() += call.substr(5);
            continue;
        }
        if (call == "state 0") out.push_back("none");
        else if (call == "state 2") out.push_back("normal");
        else if (call == "state 4") out.push_back("error");
        else if (call == "state 8") out.push_back("paused");
        else out.push_back(call);
    }
    return out;
}

struct Value {
    std::string state;
    unsigned long long done, total;
};

Value valueOf(const std::string& call) {
    Value v{call.substr(0, call.find(' ')), ~0ull, ~0ull};
    size_t space = call.find(' ');
    if (space != std::string::npos) {
        char* slash = nullptr;
        v.done = std::strtoull(call.c_str() + space + 1, &slash, 10);
        if (slash && *slash == '/') v.total = std::strtoull(slash + 1, nullptr, 10);
    }
    return v;
}

// The entries of the stubs Tiv will call, found through this process's own
// taskbar list.
bool stubEntries(Entry& setValue, Entry& setState) {
    ITaskbarList3* list = nullptr;
    const CLSID kTaskbarList = {0x56fdf344, 0xfd6d, 0x11d0, {0x95, 0x8a, 0x00, 0x60, 0x97, 0xc9, 0xa0, 0x90}};
    if (FAILED(CoCreateInstance(kTaskbarList, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskbarList3),
                                reinterpret_cast<void**>(&list))))
        return false;
    // IUnknown's three, ITaskbarList's five and ITaskbarList2's one come first.
    void** table = *reinterpret_cast<void***>(list);
    setValue = entryOf(table[9]);
    setState = entryOf(table[10]);
    list->Release();
    return !setValue.module.empty() && setValue.module == setState.module;
}

}  // namespace

// A 6 s count, stopped part way and started again, runs out into its alarm,
// which 确定 closes; then a count runs at exit. The button shows normal
// progress rising, paused where it stopped, error through the alarm and none
// after; the system is asked to stay awake (ES_SYSTEM_REQUIRED |
// ES_CONTINUOUS) while a count runs and let go (ES_CONTINUOUS) when none does
// and at exit.
TEST(TaskbarOutside, ProgressAndWakefulnessFollowACount) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    Entry setValue, setState;
    bool haveStubs = stubEntries(setValue, setState);
    CoUninitialize();
    ASSERT_TRUE(haveStubs) << "no taskbar list in this Wine";
    Entry executionState = entryOf(
        reinterpret_cast<const void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtSetThreadExecutionState")));
    ASSERT_FALSE(executionState.module.empty());

    std::string folder = countFolder(6);
    Tiv tiv;
    ASSERT_TRUE(start(tiv, folder, "/s=6 /m=0 /h=0 g"));
    HWND main = waitMain(tiv);
    ASSERT_NE(main, nullptr);
    // Wine has no taskbar buttons and never sends it; it carries nothing.
    PostMessageA(main, RegisterWindowMessageA("TaskbarButtonCreated"), 0, 0);
    // The start flag's count begins once the slots are loaded: stopped and
    // reset, Tiv stands idle at the full length before it is watched.
    ASSERT_TRUE(waitFor([&] { return itemText(main, IDC_STARTSTOP) == kStop; }, 5000)) << "not counting";
    command(main, IDC_STARTSTOP);
    command(main, IDC_RESET);
    ASSERT_TRUE(waitFor([&] { return itemText(main, IDC_STARTSTOP) == kStart; }, 5000)) << "not stopped";
    ASSERT_TRUE(answers(main));

    DWORD pid = tiv.process.dwProcessId;
    Watcher w;
    w.pid = pid;
    w.points = {{"value", addressIn(pid, setValue), 0}, {"state", addressIn(pid, setState), 0},
                {"awake", addressIn(pid, executionState), 0}};
    ASSERT_NE(w.points[0].at, 0u) << "Tiv did not load the taskbar list";
    ASSERT_NE(w.points[2].at, 0u);
    ASSERT_TRUE(startWatching(w)) << w.error;

    command(main, IDC_STARTSTOP);
    EXPECT_TRUE(waitFor([&] { return countOf(w, "value") >= 4; }, 5000)) << "no progress while counting";
    command(main, IDC_STARTSTOP);
    EXPECT_TRUE(waitFor([&] { return countOf(w, "state 8") == 1; }, 5000)) << "no pause shown";
    command(main, IDC_STARTSTOP);
    HWND box = waitBox(tiv, 15000);
    EXPECT_NE(box, nullptr) << "the count never finished";
    EXPECT_TRUE(waitFor([&] { return countOf(w, "state 4") == 1; }, 5000)) << "no alarm shown";
    EXPECT_TRUE(box && answerBox(box, IDOK));
    EXPECT_TRUE(waitFor([&] { return countOf(w, "state 0") == 1; }, 5000)) << "progress not cleared after 确定";
    command(main, IDC_STARTSTOP);
    EXPECT_TRUE(waitFor([&] { return countOf(w, "awake 80000001") == 3; }, 5000)) << "the last count did not start";
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitExit(tiv));
    stopWatching(w);

    std::vector<std::string> calls = shown(callsOf(w));
    std::string all;
    for (const std::string& call : calls) all += call + "; ";
    std::printf("Tiv's calls: %s\n", all.c_str());
    // The shape, each run of normal values as one.
    std::vector<std::string> shape;
    std::vector<std::vector<Value>> runs;
    Value paused{}, error{};
    for (const std::string& call : calls) {
        Value v = valueOf(call);
        if (v.state == "paused") paused = v;
        if (v.state == "error") error = v;
        if (v.state == "normal" && !shape.empty() && shape.back() == "normal") {
            runs.back().push_back(v);
            continue;
        }
        shape.push_back(v.state == "awake" ? call : v.state);
        if (v.state == "normal") runs.push_back({v});
    }
    const std::vector<std::string> expected = {"awake 80000001", "normal", "awake 80000000", "paused",
                                               "awake 80000001", "normal", "awake 80000000", "error",
                                               "none",           "awake 80000001", "normal", "awake 80000000"};
    ASSERT_EQ(expected, shape) << all;

    for (size_t r = 0; r < runs.size(); ++r) {
        for (size_t i = 0; i < runs[r].size(); ++i) {
            EXPECT_EQ(runs[r][i].total, 6000u) << "run " << r << " value " << i;
            if (i > 0) {
                EXPECT_GT(runs[r][i].done, runs[r][i - 1].done) << "run " << r << " value " << i;
            }
        }
    }
    // A start shows what was counted before its first tick (500 ms): the
    // start's own work takes some milliseconds.
    const unsigned long long kTick = 500;
    EXPECT_GE(runs[0].size(), 4u);
    EXPECT_LT(runs[0].front().done, kTick);
    EXPECT_GE(paused.done, runs[0].back().done);
    EXPECT_LT(paused.done, 6000u);
    EXPECT_EQ(paused.total, 6000u);
    EXPECT_GE(runs[1].front().done, paused.done) << "a count started again goes on from where it stopped";
    EXPECT_LT(runs[1].front().done, paused.done + kTick) << "a count started again goes on from where it stopped";
    EXPECT_GE(runs[1].size(), 4u);
    EXPECT_LE(runs[1].back().done, 6000u);
    EXPECT_EQ(error.done, 6000u);
    EXPECT_EQ(error.total, 6000u);
    EXPECT_LT(runs[2].front().done, kTick);
    removeFolder(folder);
}
