#include <windows.h>
#include <commctrl.h>

#include "platform/window_win.h"

namespace platform {

void addTooltips(HWND window, const Tip* tips, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        TOOLINFOA info{};
        info.cbSize = TTTOOLINFOA_V2_SIZE;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = window;
        info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(window, tips[i].id));
        info.lpszText = const_cast<char*>(tips[i].text);
        SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void removeTooltips(HWND window, const Tip* tips, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        TOOLINFOA info{};
        info.cbSize = TTTOOLINFOA_V2_SIZE;
        info.hwnd = window;
        info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(window, tips[i].id));
        SendMessageA(tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
}

}  // namespace platform
