#include "driver.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>

namespace driver {

namespace {

std::string exePath() {
    const char* env = getenv("TIV_EXE");
    return env && *env ? env : TIV_EXE_PATH;
}

std::string folderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

struct Search {
    DWORD pid;
    const char* className;
    const char* title;
    bool hiddenToo;
    std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND window, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != s->pid || !(s->hiddenToo || IsWindowVisible(window))) return TRUE;
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpiA(cls, s->className) != 0) return TRUE;
    if (s->title && text(window) != s->title) return TRUE;
    s->found.push_back(window);
    return TRUE;
}

}  // namespace

std::string newTempFolder(const char* prefix) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    static unsigned counter;
    char folder[MAX_PATH];
    // Wine reuses process ids from run to run: never take over a folder an earlier run left.
    do {
        std::snprintf(folder, sizeof folder, "%s%s_%lu_%u\\", temp, prefix, GetCurrentProcessId(), ++counter);
    } while (!CreateDirectoryA(folder, nullptr) && GetLastError() == ERROR_ALREADY_EXISTS && counter < 100000);
    return folder;
}

std::string freshFolder() {
    std::string folder = newTempFolder("tiv");
    CopyFileA(exePath().c_str(), (folder + "Tiv.exe").c_str(), FALSE);
    CopyFileA((folderOf(exePath()) + "ReadMe.htm").c_str(), (folder + "ReadMe.htm").c_str(), FALSE);
    return folder;
}

void removeFolder(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((folder + data.cFileName).c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

Tiv::~Tiv() {
    if (!process.hProcess) return;
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

bool start(Tiv& tiv, const std::string& folder, const std::string& arguments) {
    return start(tiv, folder, arguments, Launch{});
}

bool start(Tiv& tiv, const std::string& folder, const std::string& arguments, const Launch& launch) {
    tiv.folder = folder;
    std::string line = "\"" + folder + launch.program + "\"";
    if (!arguments.empty()) line += " " + arguments;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (launch.show >= 0) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(launch.show);
    }
    const std::string& current = launch.currentFolder.empty() ? folder : launch.currentFolder;
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, current.c_str(),
                        &startup, &tiv.process))
        return false;
    // A test killed by its timeout must not leave its Tiv running.
    static HANDLE job = [] {
        HANDLE j = CreateJobObjectA(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (j) SetInformationJobObject(j, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        return j;
    }();
    if (job) AssignProcessToJobObject(job, tiv.process.hProcess);
    ResumeThread(tiv.process.hThread);
    return true;
}

std::vector<HWND> windowsOf(const Tiv& tiv, const char* className, const char* title, bool hiddenToo) {
    Search s{tiv.process.dwProcessId, className, title, hiddenToo, {}};
    EnumWindows(collect, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

bool waitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
}

HWND waitWindow(const Tiv& tiv, const char* className, const char* title, DWORD timeoutMs) {
    HWND found = nullptr;
    waitFor(
        [&] {
            auto all = windowsOf(tiv, className, title);
            found = all.empty() ? nullptr : all.front();
            return found != nullptr || WaitForSingleObject(tiv.process.hProcess, 0) == WAIT_OBJECT_0;
        },
        timeoutMs);
    return found;
}

HWND waitMain(const Tiv& tiv, DWORD timeoutMs) { return waitWindow(tiv, "DovOdiz", nullptr, timeoutMs); }
HWND waitBox(const Tiv& tiv, DWORD timeoutMs) { return waitWindow(tiv, "#32770", "Tiv 1.4", timeoutMs); }

bool waitExit(Tiv& tiv, DWORD timeoutMs) {
    return WaitForSingleObject(tiv.process.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

std::string text(HWND window) {
    char buffer[1024] = "";
    int n = GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? n : 0);
}

std::string className(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

RECT placeOf(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string rectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

std::string itemText(HWND parent, int id) {
    char buffer[1024] = "";
    int n = GetDlgItemTextA(parent, id, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? n : 0);
}

uint32_t itemNumber(HWND parent, int id) { return GetDlgItemInt(parent, id, nullptr, FALSE); }

SIZE windowSize(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

SIZE clientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

void command(HWND main, int id) { PostMessageA(main, WM_COMMAND, id, 0); }

void key(HWND target, UINT virtualKey) {
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1);
    PostMessageA(target, WM_KEYUP, virtualKey, 0xC0000001);
}

bool answerBox(HWND box, int button) {
    PostMessageA(box, WM_COMMAND, button, 0);
    return waitFor([&] { return !IsWindow(box); }, 10000);
}

bool answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

std::vector<std::string> modulesOf(DWORD pid) {
    std::vector<std::string> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return names;
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry))
        names.push_back(CharLowerA(entry.szModule));
    CloseHandle(snapshot);
    return names;
}

bool loaded(const std::vector<std::string>& modules, const char* name) {
    return std::find(modules.begin(), modules.end(), name) != modules.end();
}

std::vector<unsigned char> readFile(const std::string& path) {
    std::vector<unsigned char> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
        std::fclose(f);
    }
    return bytes;
}

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

uint32_t dwordAt(const std::vector<unsigned char>& bytes, size_t offset) {
    if (offset + 4 > bytes.size()) return 0xFFFFFFFF;
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | uint32_t(bytes[offset + 3]) << 24;
}

void putDword(std::vector<unsigned char>& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

void putText(std::vector<unsigned char>& bytes, size_t offset, const std::string& text) {
    std::copy(text.begin(), text.end(), bytes.begin() + offset);
    bytes[offset + text.size()] = 0;
}

std::vector<unsigned char> defaultSettingsFile() {
    static std::vector<unsigned char> cached;
    if (!cached.empty()) return cached;
    std::string folder = freshFolder();
    {
        Tiv tiv;
        if (!start(tiv, folder)) return cached;
        HWND box = waitBox(tiv);
        if (!box || !answerBox(box, 2)) return cached;
        box = waitBox(tiv);
        if (!box || !answerBox(box, 1)) return cached;
        HWND main = waitMain(tiv);
        if (!main) return cached;
        PostMessageA(main, WM_CLOSE, 0, 0);
        if (!waitExit(tiv)) return cached;
    }
    cached = readFile(folder + "dTiv.dat");
    removeFolder(folder);
    return cached;
}

std::string preparedFolder(const std::function<void(std::vector<unsigned char>&)>& edit) {
    std::vector<unsigned char> bytes = defaultSettingsFile();
    if (edit && bytes.size() == 10008) edit(bytes);
    std::string folder = freshFolder();
    writeFile(folder + "dTiv.dat", bytes);
    return folder;
}

std::string countFolder(uint32_t seconds) {
    return preparedFolder([seconds](std::vector<unsigned char>& f) {
        putDword(f, 8 + 632, 0);                // hours
        putDword(f, 8 + 636, 0);                // minutes
        putDword(f, 8 + 640, seconds);          // seconds
        putDword(f, 8 + 2140, seconds * 1000);  // durationMs[0]
    });
}

std::string hex(const std::string& bytes) {
    std::string out;
    char b[4];
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) out += static_cast<char>(c);
        else {
            std::snprintf(b, sizeof b, "\\x%02X", c);
            out += b;
        }
    }
    return out;
}

}  // namespace driver
