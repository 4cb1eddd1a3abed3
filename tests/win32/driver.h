// Starts the real Tiv.exe in a fresh folder and drives it from outside, the
// way a user would see it: windows, control texts, the settings file.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace driver {

// A new empty folder under %TEMP%, its name starting with `prefix`; ends in '\'.
std::string newTempFolder(const char* prefix);
// A fresh folder under %TEMP% holding a copy of Tiv.exe (and ReadMe.htm).
std::string freshFolder();
void removeFolder(const std::string& folder);

struct Tiv {
    PROCESS_INFORMATION process{};
    std::string folder;
    Tiv() = default;
    Tiv(const Tiv&) = delete;
    Tiv& operator=(const Tiv&) = delete;
    ~Tiv();   // kills the process if it still runs
};

// Starts folder\Tiv.exe with the given arguments (after the program path).
bool start(Tiv& tiv, const std::string& folder, const std::string& arguments = "");
// How else a start may differ, as a shortcut or another program starts it.
struct Launch {
    std::string program = "Tiv.exe";   // the file's name in the folder
    std::string currentFolder;         // empty: the program's folder
    int show = -1;                     // STARTUPINFO wShowWindow, -1 for none
};
bool start(Tiv& tiv, const std::string& folder, const std::string& arguments, const Launch& launch);
// Waits for a visible top-level window of the process with this class (and
// title, when given). Null after the timeout.
HWND waitWindow(const Tiv& tiv, const char* className, const char* title, DWORD timeoutMs = 15000);
HWND waitMain(const Tiv& tiv, DWORD timeoutMs = 15000);
HWND waitBox(const Tiv& tiv, DWORD timeoutMs = 15000);   // the program's message box
// Visible ones only, unless `hiddenToo`: a modal dialog exists before its
// loop first shows it.
std::vector<HWND> windowsOf(const Tiv& tiv, const char* className, const char* title, bool hiddenToo = false);
bool waitExit(Tiv& tiv, DWORD timeoutMs = 15000);
bool waitFor(const std::function<bool()>& condition, DWORD timeoutMs);

std::string text(HWND window);
std::string className(HWND window);
// Where a child sits in its parent's client area, in pixels.
RECT placeOf(HWND child);
// A rectangle as "x,y wxh".
std::string rectText(const RECT& r);
std::string itemText(HWND parent, int id);
uint32_t itemNumber(HWND parent, int id);
SIZE windowSize(HWND window);
SIZE clientSize(HWND window);

void command(HWND main, int id);            // WM_COMMAND posted, as a button or key does
void key(HWND target, UINT virtualKey);     // a WM_KEYDOWN into the main thread's queue
// Answers the open message box with button 1 or 2 and waits until it closes.
bool answerBox(HWND box, int button);
// Whether the window's thread takes a message within 5 s.
bool answers(HWND window);

// Lower-case names of the DLLs loaded in another process.
std::vector<std::string> modulesOf(DWORD pid);
bool loaded(const std::vector<std::string>& modules, const char* name);

std::vector<unsigned char> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<unsigned char>& bytes);
uint32_t dwordAt(const std::vector<unsigned char>& bytes, size_t offset);
void putDword(std::vector<unsigned char>& bytes, size_t offset, uint32_t value);
// A text and its NUL at `offset`.
void putText(std::vector<unsigned char>& bytes, size_t offset, const std::string& text);

// A settings file as a first run with "取消" leaves it, made once per test run.
std::vector<unsigned char> defaultSettingsFile();
// A fresh folder whose settings file is the default one changed by `edit`.
std::string preparedFolder(const std::function<void(std::vector<unsigned char>&)>& edit = nullptr);
// A prepared folder whose slot 0 and time fields hold a count of `seconds` (under a minute).
std::string countFolder(uint32_t seconds);

// Printable bytes for failure messages (GBK shown as hex).
std::string hex(const std::string& bytes);

}  // namespace driver
