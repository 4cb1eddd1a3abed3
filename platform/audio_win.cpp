// Alarm sound over Win32: PlaySoundA for WAV files, an MCI window for the
// rest, the folder search and the cryptographic random source.
#include <windows.h>
#include <mmsystem.h>
#include <vfw.h>
#include <wincrypt.h>

#include <cstdint>

#include "base/text.h"
#include "platform/audio.h"
#include "platform/window_win.h"

namespace {

constexpr DWORD kMediaStyle =
    WS_CHILD | MCIWNDF_NOOPEN | MCIWNDF_NOERRORDLG | MCIWNDF_NOMENU | MCIWNDF_NOPLAYBAR;
static_assert(kMediaStyle == 0x4000C00A, "media window style");
constexpr char kKeyContainer[] = "TIVY";

}  // namespace

namespace platform {

// Created and closed only on the main window's thread, so a sound outlives the
// alarm thread whose sequence played it and no window outlives its thread.
HWND mediaWindow;

void playWave(const char* path) { PlaySoundA(path, nullptr, SND_FILENAME | SND_ASYNC); }

uint32_t playMedia(const char* path) {
    closeMediaWindow();
    HWND parent = mainWindow;
    mediaWindow = MCIWndCreateA(parent, GetModuleHandleA(nullptr), kMediaStyle, path);
    if (!mediaWindow) return 0;
    // Wine adds WS_VISIBLE to a child media window: a bordered strip over the buttons.
    ShowWindow(mediaWindow, SW_HIDE);
    uint32_t end = static_cast<uint32_t>(MCIWndGetEnd(mediaWindow));
    MCIWndPlay(mediaWindow);
    return end;
}

void closeMediaWindow() {
    if (!mediaWindow) return;
    SendMessageA(mediaWindow, WM_CLOSE, 0, 0);
    mediaWindow = nullptr;
}

uint32_t mediaPosition() {
    if (!mediaWindow) return 0;
    return static_cast<uint32_t>(MCIWndGetPosition(mediaWindow));
}

bool cryptRandom(uint32_t* out) {
    HCRYPTPROV provider;
    if (!CryptAcquireContextA(&provider, kKeyContainer, nullptr, PROV_RSA_FULL, 0) &&
        !CryptAcquireContextA(&provider, kKeyContainer, nullptr, PROV_RSA_FULL, CRYPT_NEWKEYSET))
        return false;
    BOOL ok = CryptGenRandom(provider, sizeof *out, reinterpret_cast<BYTE*>(out));
    CryptReleaseContext(provider, 0);
    return ok != FALSE;
}

char* allocNameList(uint32_t bytes) { return static_cast<char*>(GlobalAlloc(GPTR, bytes)); }

void freeNameList(char* list) { GlobalFree(list); }

static void takeName(const WIN32_FIND_DATAA& data, char* name, uint32_t nameBytes, bool* folder) {
    text::copyBounded(name, data.cFileName, nameBytes);
    *folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void* findFirstFile(const char* search, char* name, uint32_t nameBytes, bool* folder) {
    WIN32_FIND_DATAA data;
    HANDLE handle = FindFirstFileA(search, &data);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    takeName(data, name, nameBytes, folder);
    return handle;
}

bool findNextFile(void* search, char* name, uint32_t nameBytes, bool* folder) {
    WIN32_FIND_DATAA data;
    if (!FindNextFileA(static_cast<HANDLE>(search), &data)) return false;
    takeName(data, name, nameBytes, folder);
    return true;
}

void findClose(void* search) { FindClose(static_cast<HANDLE>(search)); }

}  // namespace platform
