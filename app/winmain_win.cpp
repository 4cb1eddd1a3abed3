#include <windows.h>

#include "app/window_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (!app::startUp(instance, GetCommandLineA())) return 1;
    ExitProcess(static_cast<UINT>(app::runMessageLoop()));
}
