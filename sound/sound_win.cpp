// Alarm sound over Win32: PlaySoundA for WAV files, an MCI window for the
// rest, the folder search and the cryptographic random source.
#include <windows.h>
#include <mmsystem.h>
#include <vfw.h>
#include <wincrypt.h>

#include <cstdint>

#include "platform/platform.h"
#include "settings/text.h"
#include "sound/sound.h"
#include "sound/sound_platform.h"

namespace sound {

// Created and closed only on the main window's thread, so a sound outlives the
// alarm thread whose sequence played it and no window outlives its thread.
HWND mediaWindow;

}  // namespace sound

namespace {

constexpr DWORD kMediaStyle =
    WS_CHILD | MCIWNDF_NOOPEN | MCIWNDF_NOERRORDLG | MCIWNDF_NOMENU | MCIWNDF_NOPLAYBAR;
static_assert(kMediaStyle == 0x4000C00A, "media window style");
constexpr char kKeyContainer[] = "TIVY";

}  // namespace

namespace platform {

void playWave(const char* path) { PlaySoundA(path, nullptr, SND_FILENAME | SND_ASYNC); }

uint32_t playMedia(const char* path) {
    closeMediaWindow();
    HWND parent = static_cast<HWND>(mainWindowHandle());
    sound::mediaWindow = MCIWndCreateA(parent, GetModuleHandleA(nullptr), kMediaStyle, path);
    if (!sound::mediaWindow) return 0;
    // Wine adds WS_VISIBLE to a child media window: a bordered strip over the buttons.
    ShowWindow(sound::mediaWindow, SW_HIDE);
    uint32_t end = static_cast<uint32_t>(MCIWndGetEnd(sound::mediaWindow));
    MCIWndPlay(sound::mediaWindow);
    return end;
}

void closeMediaWindow() {
    if (!sound::mediaWindow) return;
    SendMessageA(sound::mediaWindow, WM_CLOSE, 0, 0);
    sound::mediaWindow = nullptr;
}

uint32_t mediaPosition() {
    if (!sound::mediaWindow) return 0;
    return static_cast<uint32_t>(MCIWndGetPosition(sound::mediaWindow));
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

char* allocNameList() { return static_cast<char*>(GlobalAlloc(GPTR, sound::kListBytes)); }

void freeNameList(char* list) { GlobalFree(list); }

static void takeName(const WIN32_FIND_DATAA& data, char* name, bool* folder) {
    text::copyBounded(name, data.cFileName, sound::kPathBytes);
    *folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void* findFirstFile(const char* search, char* name, bool* folder) {
    WIN32_FIND_DATAA data;
    HANDLE handle = FindFirstFileA(search, &data);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    takeName(data, name, folder);
    return handle;
}

bool findNextFile(void* search, char* name, bool* folder) {
    WIN32_FIND_DATAA data;
    if (!FindNextFileA(static_cast<HANDLE>(search), &data)) return false;
    takeName(data, name, folder);
    return true;
}

void findClose(void* search) { FindClose(static_cast<HANDLE>(search)); }

}  // namespace platform
