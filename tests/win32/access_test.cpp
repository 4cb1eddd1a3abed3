// What a screen reader gets from a running Tiv: an accessibility client in
// this process asks the real Tiv.exe, in a process of its own.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "driver.h"
#include "resources/resource.h"

using namespace driver;

namespace {

const char kStopGbk[] = "\xCD\xA3\xD6\xB9";   // 停止: the count runs

std::string hresult(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

VARIANT childId(LONG id) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = id;
    return v;
}

// A text answer as UTF-8, or the failure's HRESULT in brackets.
std::string utf8(HRESULT hr, BSTR text) {
    std::string out = FAILED(hr) ? "(" + hresult(hr) + ")" : "";
    int n = text ? WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr) : 0;
    if (n > 1) {
        out.resize(n - 1);
        WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
    }
    SysFreeString(text);
    return out;
}

std::string nameOf(IAccessible* object, LONG id) {
    BSTR name = nullptr;
    HRESULT hr = object->get_accName(childId(id), &name);
    return utf8(hr, name);
}

std::string valueOf(IAccessible* object, LONG id) {
    BSTR value = nullptr;
    HRESULT hr = object->get_accValue(childId(id), &value);
    return utf8(hr, value);
}

// "01:29" as 89; -1 for anything else.
int seconds(const std::string& text) {
    int m, s;
    char rest;
    if (std::sscanf(text.c_str(), "%d:%d%c", &m, &s, &rest) != 2 || s < 0 || s > 59) return -1;
    return m * 60 + s;
}

struct Com {
    Com() { CoInitialize(nullptr); }
    ~Com() { CoUninitialize(); }
};

// A Tiv counting `seconds` from its start, its main window shown; `ini`: its dTiv.ini.
HWND startCounting(Tiv& tiv, std::string& folder, uint32_t seconds, const std::string& ini = "") {
    folder = preparedFolder([seconds](std::vector<unsigned char>& f) { putDword(f, 8 + 2140, seconds * 1000); });
    if (!ini.empty()) writeFile(folder + "dTiv.ini", std::vector<unsigned char>(ini.begin(), ini.end()));
    std::string args = "/s=" + std::to_string(seconds % 60) + " /m=" + std::to_string(seconds / 60) + " /h=0 g";
    if (!start(tiv, folder, args)) return nullptr;
    HWND main = waitMain(tiv);
    if (main && !waitFor([&] { return itemText(main, IDC_STARTSTOP) == kStopGbk; }, 5000)) return nullptr;
    return main;
}

void stop(Tiv& tiv, HWND main, const std::string& folder) {
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitExit(tiv));
    removeFolder(folder);
}

}  // namespace

// A 90-second count with one timer: the client area's children are the timer
// and then each control as the system lists them; the timer is named, valued
// as drawn (and changes as it counts), selected, and placed over the time
// display. The time fields are named as their tooltips name them. oleacc is
// mapped only once a reader asks.
TEST(Access, ReaderInAnotherProcessReadsTheTimerAndTheFields) {
    Tiv tiv;
    std::string folder;
    HWND main = startCounting(tiv, folder, 90);
    ASSERT_NE(main, nullptr) << "Tiv is not counting";
    EXPECT_FALSE(loaded(modulesOf(tiv.process.dwProcessId), "oleacc.dll")) << "mapped before a reader asked";
    Com com;

    IAccessible* client = nullptr;
    // __uuidof: x86-64's liboleacc would give IID_IAccessible's import thunk instead.
    HRESULT hr =
        AccessibleObjectFromWindow(main, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&client));
    ASSERT_EQ(hresult(hr), hresult(S_OK));
    ASSERT_NE(client, nullptr);
    EXPECT_TRUE(loaded(modulesOf(tiv.process.dwProcessId), "oleacc.dll"));

    LONG count = 0;
    EXPECT_EQ(hresult(client->get_accChildCount(&count)), hresult(S_OK));
    int windows = 0;
    for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++windows;
    ASSERT_EQ(count, 1 + windows);
    std::vector<VARIANT> children(count);
    LONG got = 0;
    EXPECT_EQ(hresult(AccessibleChildren(client, 0, count, children.data(), &got)), hresult(S_OK));
    // One letter a child: i a simple element (the timer), d an object (a control).
    std::string kinds;
    for (LONG i = 0; i < got; ++i) {
        kinds += V_VT(&children[i]) == VT_I4 ? "i" : V_VT(&children[i]) == VT_DISPATCH ? "d" : "?";
        VariantClear(&children[i]);
    }
    EXPECT_EQ(kinds, "i" + std::string(windows, 'd'));

    EXPECT_EQ(nameOf(client, 1), u8"计时器 1");
    VARIANT state;
    VariantInit(&state);
    EXPECT_EQ(hresult(client->get_accState(childId(1), &state)), hresult(S_OK));
    EXPECT_EQ(V_VT(&state), VT_I4);
    EXPECT_EQ(V_I4(&state) & (STATE_SYSTEM_SELECTED | STATE_SYSTEM_READONLY),
              STATE_SYSTEM_SELECTED | STATE_SYSTEM_READONLY);
    // Below the 60-pixel control strip, the whole width.
    RECT area;
    GetClientRect(main, &area);
    POINT corner{0, 60};
    ClientToScreen(main, &corner);
    LONG x = 0, y = 0, w = 0, h = 0;
    EXPECT_EQ(hresult(client->accLocation(&x, &y, &w, &h, childId(1))), hresult(S_OK));
    EXPECT_EQ(rectText({x, y, x + w, y + h}), rectText({corner.x, corner.y, corner.x + area.right,
                                                         corner.y + area.bottom - 60}));

    std::string first = valueOf(client, 1);
    int left = seconds(first);
    EXPECT_GE(left, 80) << first;
    EXPECT_LE(left, 90) << first;
    std::string later;
    EXPECT_TRUE(waitFor([&] { return (later = valueOf(client, 1)) != first; }, 3000)) << "still " << first;
    EXPECT_LT(seconds(later), left) << first << " then " << later;
    EXPECT_GE(seconds(later), left - 3) << first << " then " << later;
    client->Release();

    struct { int id; const char* name; } fields[] = {
        {IDC_DAYS, u8"倒计天数"},
        {IDC_HOURS, u8"倒计小时数"},
        {IDC_MINUTES, u8"倒计分钟数"},
        {IDC_SECONDS, u8"倒计秒数"},
    };
    for (const auto& field : fields) {
        IAccessible* edit = nullptr;
        hr = AccessibleObjectFromWindow(GetDlgItem(main, field.id), OBJID_CLIENT, __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&edit));
        EXPECT_EQ(hresult(hr), hresult(S_OK)) << field.id;
        if (!edit) continue;
        EXPECT_EQ(nameOf(edit, CHILDID_SELF), field.name) << field.id;
        edit->Release();
    }
    stop(tiv, main, folder);
}

namespace {

struct Heard {
    DWORD event;
    LONG object, child;
    DWORD atMs;
};
std::vector<Heard> heard;
HWND heardFrom;
DWORD heardSince;

void CALLBACK hear(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (window == heardFrom && (event == EVENT_OBJECT_VALUECHANGE || event == EVENT_SYSTEM_ALERT))
        heard.push_back({event, object, child, GetTickCount() - heardSince});
}

}  // namespace

// A 12-second count told to a reader listening out of context: the timer's
// value changed at each of 10 down to 1, a second apart, at the end (after
// the second the display shows 0), and then the alarm; nothing before.
TEST(Access, ReaderHearsTheLastTenSecondsTheEndAndTheAlarm) {
    Tiv tiv;
    std::string folder;
    HWND main = startCounting(tiv, folder, 12);
    ASSERT_NE(main, nullptr) << "Tiv is not counting";
    heard.clear();
    heardFrom = main;
    heardSince = GetTickCount();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_OBJECT_VALUECHANGE, nullptr, hear,
                                         tiv.process.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    // Out-of-context events come as messages to this thread.
    HWND box = nullptr;
    DWORD start = GetTickCount();
    while (!box && GetTickCount() - start < 20000) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        box = waitBox(tiv, 50);
    }
    MSG msg;
    for (DWORD until = GetTickCount() + 500; GetTickCount() < until; Sleep(20))
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    UnhookWinEvent(hook);
    ASSERT_NE(box, nullptr) << "the count never finished";

    std::string told, times;
    for (const Heard& h : heard) {
        told += (h.event == EVENT_SYSTEM_ALERT ? "alert " : "value ") + std::to_string(h.object) + "/" +
                std::to_string(h.child) + "\n";
        times += " " + std::to_string(h.atMs);
    }
    std::string expected;
    for (int i = 0; i < 11; ++i) expected += "value -4/1\n";
    expected += "alert -4/1\n";
    EXPECT_EQ(told, expected) << "at ms:" << times;
    if (heard.size() == 12) {
        // One a second down to 1, not a burst; the end two seconds after 1.
        for (size_t i = 1; i < 11; ++i) {
            uint32_t gap = i < 10 ? 1000 : 2000;
            EXPECT_GE(heard[i].atMs - heard[i - 1].atMs, gap - 500) << times;
            EXPECT_LE(heard[i].atMs - heard[i - 1].atMs, gap + 500) << times;
        }
    }
    ASSERT_TRUE(answerBox(box, IDOK));
    stop(tiv, main, folder);
}

// Timer 1 set to count on past zero: 2 s after the end of a 3-second count a
// reader reads "-2", having read only 0 and -1 before; 确定 brings the timer
// back to its full length, where it stays.
TEST(Access, ReaderReadsTheTimePastTheEndUntilAcknowledged) {
    Tiv tiv;
    std::string folder;
    HWND main = startCounting(tiv, folder, 3, "[Overtime]\r\nTimer1=1\r\n");
    ASSERT_NE(main, nullptr) << "Tiv is not counting";
    Com com;
    IAccessible* client = nullptr;
    ASSERT_EQ(hresult(AccessibleObjectFromWindow(main, OBJID_CLIENT, __uuidof(IAccessible),
                                                 reinterpret_cast<void**>(&client))),
              hresult(S_OK));
    HWND box = waitBox(tiv, 10000);
    ASSERT_NE(box, nullptr) << "the count never finished";
    DWORD boxAt = GetTickCount();
    std::vector<std::string> read;
    bool reached = waitFor(
        [&] {
            std::string v = valueOf(client, 1);
            if (read.empty() || read.back() != v) read.push_back(v);
            return v == "-2";
        },
        5000);
    DWORD after = GetTickCount() - boxAt;
    std::string seen;
    for (const std::string& v : read) seen += " " + v;
    EXPECT_TRUE(reached) << "read:" << seen;
    // The box shows within a tick of the end; -2 from 2 s after it.
    EXPECT_GE(after, 1000u) << "read:" << seen;
    EXPECT_LE(after, 3000u) << "read:" << seen;
    std::vector<std::string> allowed = {"0", "-1", "-2"};
    EXPECT_TRUE(std::includes(allowed.begin(), allowed.end(), read.begin(), read.end(),
                              [&](const std::string& a, const std::string& b) {
                                  return std::find(allowed.begin(), allowed.end(), a) <
                                         std::find(allowed.begin(), allowed.end(), b);
                              }))
        << "read:" << seen;
    ASSERT_TRUE(answerBox(box, IDOK));
    EXPECT_TRUE(waitFor([&] { return valueOf(client, 1) == "3"; }, 3000)) << valueOf(client, 1);
    Sleep(1200);
    EXPECT_EQ(valueOf(client, 1), "3") << "counted on after 确定";
    client->Release();
    stop(tiv, main, folder);
}
