// Lists the visible top-level windows of the desktop from the top of the
// z-order down, one per line: class, extended style in hex, title. The e2e
// scripts read it where the screen cannot tell (Xvfb stacks Wine's windows
// without regard to the topmost band).
// With an argument it lists instead the controls of the topmost visible
// window whose title or class is that text, one per line: id, class, visible (1 or 0),
// screen rectangle (left top right bottom), text. Wine draws the controls
// inside their top-level X window, so xdotool sees neither where they are
// nor what they read.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

BOOL CALLBACK list(HWND window, LPARAM) {
    if (!IsWindowVisible(window)) return TRUE;
    char cls[64] = "", title[128] = "";
    GetClassNameA(window, cls, sizeof cls);
    GetWindowTextA(window, title, sizeof title);
    std::printf("%s\t%08lx\t%s\n", cls, static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)), title);
    return TRUE;
}

struct Search { const char* name; HWND found; };

BOOL CALLBACK findTitled(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    char title[128] = "", cls[64] = "";
    GetWindowTextA(window, title, sizeof title);
    GetClassNameA(window, cls, sizeof cls);
    if (!IsWindowVisible(window) || (std::strcmp(title, search->name) != 0 && std::strcmp(cls, search->name) != 0))
        return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK listControl(HWND control, LPARAM) {
    char cls[64] = "", text[256] = "";
    GetClassNameA(control, cls, sizeof cls);
    // GetWindowTextA does not ask another process's edits and lists for their text.
    DWORD_PTR unused = 0;
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 1000, &unused);
    RECT r{};
    GetWindowRect(control, &r);
    std::printf("%d\t%s\t%d\t%ld %ld %ld %ld\t%s\n", GetDlgCtrlID(control), cls, IsWindowVisible(control) ? 1 : 0,
                r.left, r.top, r.right, r.bottom, text);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        EnumWindows(list, 0);   // z-order, topmost first
        return 0;
    }
    Search search{argv[1], nullptr};
    EnumWindows(findTitled, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return 1;
    EnumChildWindows(search.found, listControl, 0);   // every level, parents first
    return 0;
}
