// Lists the visible top-level windows of the desktop from the top of the
// z-order down, one per line: class, extended style in hex, title. The e2e
// scripts read it where the screen cannot tell (Xvfb stacks Wine's windows
// without regard to the topmost band).
#include <windows.h>

#include <cstdio>

namespace {

BOOL CALLBACK list(HWND window, LPARAM) {
    if (!IsWindowVisible(window)) return TRUE;
    char cls[64] = "", title[128] = "";
    GetClassNameA(window, cls, sizeof cls);
    GetWindowTextA(window, title, sizeof title);
    std::printf("%s\t%08lx\t%s\n", cls, static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)), title);
    return TRUE;
}

}  // namespace

int main() {
    EnumWindows(list, 0);   // z-order, topmost first
    return 0;
}
