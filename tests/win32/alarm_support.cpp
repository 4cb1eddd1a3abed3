#include "alarm_support.h"

#include <tlhelp32.h>

#include <cstdio>
#include <mutex>

#include "countdown/alarm.h"
#include "display/geometry.h"
#include "driver.h"
#include "inproc.h"
#include "resources/resource.h"
#include "settings/record.h"

namespace alarms {

namespace {

BOOL CALLBACK collectBox(HWND window, LPARAM lp) {
    auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != found->first || !IsWindowVisible(window)) return TRUE;
    char cls[16] = "", title[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    GetWindowTextA(window, title, sizeof title);
    if (lstrcmpA(cls, "#32770") == 0 && lstrcmpA(title, "Tiv 1.4") == 0) found->second.push_back(window);
    return TRUE;
}

std::mutex callsLock;
SoundCalls calls;

using PlaySoundFn = BOOL(WINAPI*)(LPCSTR, HMODULE, DWORD);
using BeepFn = BOOL(WINAPI*)(UINT);
PlaySoundFn realPlaySound;
BeepFn realBeep;

BOOL WINAPI recordPlaySound(LPCSTR sound, HMODULE module, DWORD flags) {
    {
        std::lock_guard<std::mutex> hold(callsLock);
        ++calls.waves;
        calls.wavePath = sound ? sound : "";
        calls.waveFlags = flags;
    }
    return realPlaySound(sound, module, flags);
}

BOOL WINAPI recordBeep(UINT type) {
    {
        std::lock_guard<std::mutex> hold(callsLock);
        ++calls.beeps;
    }
    return realBeep(type);
}

// Points this module's import of dll!function at `replacement`.
template <typename Fn>
bool redirectImport(const char* dll, const char* function, Fn replacement, Fn* original) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; desc->Name; ++desc) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + desc->Name), dll) != 0) continue;
        DWORD lookup = desc->OriginalFirstThunk ? desc->OriginalFirstThunk : desc->FirstThunk;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + lookup);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<char*>(byName->Name), function) != 0) continue;
            DWORD old;
            if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old)) return false;
            *original = reinterpret_cast<Fn>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<decltype(slots->u1.Function)>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            return true;
        }
    }
    return false;
}

void put16(std::vector<unsigned char>& b, unsigned v) {
    b.push_back(v & 255);
    b.push_back((v >> 8) & 255);
}
void put32(std::vector<unsigned char>& b, unsigned v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
void putBigEndian32(std::vector<unsigned char>& b, unsigned v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back((v >> shift) & 255);
}
void putText(std::vector<unsigned char>& b, const char* s) {
    while (*s) b.push_back(static_cast<unsigned char>(*s++));
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

// Wine's own exports, absent on Windows.
using UnixNameFn = char*(CDECL*)(LPCWSTR);
// WINAPI: ntdll exports it stdcall, which matters on i686 only.
using SpawnFn = LONG(WINAPI*)(char* const*, int);

// Runs /bin/sh -c `script` with $1 the unix path of `folder`; false where
// that cannot be done (not Wine) or the script failed.
bool unixShell(const std::string& folder, const char* script) {
    auto unixName = reinterpret_cast<UnixNameFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    auto spawn = reinterpret_cast<SpawnFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
    if (!unixName || !spawn) return false;
    wchar_t wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide, MAX_PATH)) return false;
    char* path = unixName(wide);
    if (!path) return false;
    char* argv[] = {const_cast<char*>("/bin/sh"), const_cast<char*>("-c"), const_cast<char*>(script),
                    const_cast<char*>("sh"), path, nullptr};
    LONG status = spawn(argv, 1);
    HeapFree(GetProcessHeap(), 0, path);
    return status == 0;
}

}  // namespace

void makeEmptyFiles(const std::string& folder, unsigned count) {
    char script[128];
    std::snprintf(script, sizeof script, "cd \"$1\" && seq -f 'f%%05.0f.wav' 0 %u | xargs touch", count - 1);
    if (count == 0 || unixShell(folder, script)) return;
    for (unsigned i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "\\f%05u.wav", i);
        CloseHandle(CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    }
}

void removeTree(const std::string& folder) {
    if (!unixShell(folder, "rm -rf -- \"$1\"")) driver::removeFolder(folder + "\\");
}

std::vector<HWND> finishBoxes(DWORD processId) {
    std::pair<DWORD, std::vector<HWND>> found{processId, {}};
    EnumWindows(collectBox, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

uint32_t threadsOf(DWORD processId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    uint32_t n = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == processId) ++n;
    CloseHandle(snapshot);
    return n;
}

bool watchSoundCalls() {
    static bool installed = redirectImport("winmm.dll", "PlaySoundA", &recordPlaySound, &realPlaySound) &&
                            redirectImport("user32.dll", "MessageBeep", &recordBeep, &realBeep);
    return installed;
}

void clearSoundCalls() {
    std::lock_guard<std::mutex> hold(callsLock);
    calls = SoundCalls{};
}

SoundCalls soundCalls() {
    std::lock_guard<std::mutex> hold(callsLock);
    return calls;
}

void writeWave(const std::string& path, unsigned samples) {
    std::vector<unsigned char> b;
    putText(b, "RIFF");
    put32(b, 36 + samples);
    putText(b, "WAVEfmt ");
    put32(b, 16);
    put16(b, 1);      // PCM
    put16(b, 1);      // mono
    put32(b, 8000);   // samples per second
    put32(b, 8000);   // bytes per second
    put16(b, 1);      // block align
    put16(b, 8);      // bits per sample
    putText(b, "data");
    put32(b, samples);
    b.insert(b.end(), samples, 128);
    writeBytes(path, b);
}

void writeMidi(const std::string& path) {
    // Format 0, one track, 480 ticks a beat at the default 120 beats a minute:
    // middle C held for one beat.
    std::vector<unsigned char> b;
    putText(b, "MThd");
    putBigEndian32(b, 6);
    b.insert(b.end(), {0, 0, 0, 1, 0x01, 0xE0});
    const unsigned char track[] = {0x00, 0x90, 60, 64, 0x83, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
    putText(b, "MTrk");
    putBigEndian32(b, sizeof track);
    b.insert(b.end(), track, track + sizeof track);
    writeBytes(path, b);
}

void writeMp3(const std::string& path) {
    // 128 kbit/s, 44.1 kHz, no CRC: 417-byte frames; all-zero side information is silence.
    std::vector<unsigned char> b;
    for (int frame = 0; frame < 40; ++frame) {
        b.insert(b.end(), {0xFF, 0xFB, 0x90, 0x00});
        b.insert(b.end(), 413, 0);
    }
    writeBytes(path, b);
}

HWND openWithCount(uint32_t ms, const std::function<void(settings::Record&)>& edit) {
    HWND main = inproc::open([&] {
        settings::Record& r = settings::record;
        r.hours = 0;
        r.minutes = ms / 60000;
        r.seconds = ms / 1000 % 60;
        for (auto& d : r.durationMs) d = ms;
        if (edit) edit(r);
    });
    if (!main) return nullptr;
    SetWindowPos(main, nullptr, 10, 10, 300, 220, SWP_NOZORDER | SWP_NOACTIVATE);
    inproc::pump(200);
    return main;
}

HWND pumpForBox(DWORD timeoutMs, HWND other, const std::function<void()>& each) {
    HWND found = nullptr;
    inproc::pumpUntil(
        [&] {
            if (each) each();
            for (HWND box : finishBoxes())
                if (box != other) found = box;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

void endAlarms(HWND main) {
    if (!main) return;
    SendMessageA(main, WM_COMMAND, CMD_STOPALL, 0);
    // A sequence still waiting for its turn opens its box up to 500 ms later.
    DWORD start = GetTickCount(), quietSince = start;
    while (GetTickCount() - start < 10000) {
        auto boxes = finishBoxes();
        for (HWND box : boxes) PostMessageA(box, WM_COMMAND, IDOK, 0);
        if (!boxes.empty() || countdown::alarmBusy) quietSince = GetTickCount();
        else if (GetTickCount() - quietSince > 700) return;
        inproc::pump(20);
    }
}

COLORREF displayColour(HWND main) { return inproc::pixel(main, 4, display::view.top + 4); }

}  // namespace alarms
