// The settings file when saving goes wrong: another program holds it, the
// data folder is gone or is a file, the process is killed in the middle.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "driver.h"
#include "resources/resource.h"
#include "save_loop.h"
#include "settings/record.h"

using namespace driver;

namespace {

constexpr size_t kMuteAt = settings::kHeaderSize + offsetof(settings::Record, mute);
constexpr size_t kMinutesAt = settings::kHeaderSize + offsetof(settings::Record, minutes);

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool isFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HWND optionsSheet(const Tiv& tiv) {
    for (HWND w : windowsOf(tiv, "#32770", nullptr))
        if (FindWindowExA(w, nullptr, "SysTabControl32", nullptr)) return w;
    return nullptr;
}

// Opens the options sheet of a running Tiv and cancels it; the sheet saves as
// it closes. True once that save is over: it runs between the sheet's end and
// the main window's next message.
bool saveThroughOptions(const Tiv& tiv, HWND main) {
    command(main, IDC_OPTIONS);
    HWND sheet = nullptr;
    if (!waitFor([&] { return (sheet = optionsSheet(tiv)) != nullptr; }, 10000)) return false;
    DWORD_PTR result = 0;
    SendMessageTimeoutA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0, SMTO_ABORTIFHUNG, 5000, &result);
    PostMessageA(sheet, WM_NULL, 0, 0);   // the sheet's loop looks at its end after a message
    return waitFor([&] { return !IsWindow(sheet); }, 10000) && answers(main);
}

// Removes a test's folder (and a settings file that is a folder, or is
// read-only, in it) however the test ends.
struct FolderGuard {
    std::string folder;
    ~FolderGuard() {
        SetFileAttributesA((folder + "dTiv.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
        removeFolder(folder + "dTiv.dat\\");
        removeFolder(folder);
    }
};

// Where DefSet.txt beside the program sends the settings, with its backslash.
std::string appDataTiv() {
    char appData[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, FALSE);
    return std::string(appData) + "\\Velket\\Tiv\\";
}

void clearAppDataTiv() {
    std::string folder = appDataTiv();
    SetFileAttributesA((folder + "dTiv.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
    removeFolder(folder);
    DeleteFileA(folder.substr(0, folder.size() - 1).c_str());
}

// Whether this user is kept from writing a read-only file. Wine keeps the
// attribute as unix permissions, which root passes.
bool readOnlyHolds(const std::string& folder) {
    std::string probe = folder + "probe.txt";
    writeFile(probe, {'x'});
    SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(probe.c_str());
    return file == INVALID_HANDLE_VALUE;
}

}  // namespace

// Another program holds the settings file open without sharing while Tiv
// saves: the file keeps its bytes, nothing is shown, and the first save after
// the file is let go writes it.
TEST(SaveFaults, FileHeldByAnotherProgramKeepsItsBytesUntilTheNextSave) {
    std::string folder = preparedFolder();
    FolderGuard guard{folder};
    std::string path = folder + "dTiv.dat";
    const std::vector<unsigned char> before = readFile(path);
    ASSERT_EQ(before.size(), 10008u);
    ASSERT_EQ(dwordAt(before, kMuteAt), 0u);
    const std::vector<std::string> names{"ReadMe.htm", "Tiv.exe", "dTiv.dat"};
    Tiv tiv;
    ASSERT_TRUE(start(tiv, folder));
    HWND main = waitMain(tiv);
    ASSERT_NE(main, nullptr);
    command(main, CMD_MUTE);   // what the next file must hold

    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    bool saved = saveThroughOptions(tiv, main);
    std::vector<HWND> shown = windowsOf(tiv, "#32770", nullptr, true);
    CloseHandle(held);
    ASSERT_TRUE(saved) << "the options sheet did not open and close";
    EXPECT_TRUE(shown.empty()) << "the failed save showed \"" << text(shown.front()) << "\"";
    EXPECT_EQ(readFile(path), before) << "the held file changed";
    EXPECT_EQ(namesIn(folder), names) << "the failed save left a file behind";

    ASSERT_TRUE(saveThroughOptions(tiv, main));
    std::vector<unsigned char> after = readFile(path);
    ASSERT_EQ(after.size(), 10008u);
    EXPECT_EQ(std::string(after.begin(), after.begin() + 8), "TIVY1400");
    EXPECT_EQ(dwordAt(after, kMuteAt), 1u) << "the save after the release did not write";
    EXPECT_EQ(namesIn(folder), names);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitExit(tiv));
}

// Settings that cannot be written, or not read either: Tiv starts (asking the
// first run's question when it finds no file it can read), runs and ends, and
// shows nothing about the failed save. Under Wine a read-only folder stops
// nothing (nor does it on Windows); a data folder that is a file, or that is
// removed while Tiv runs, and a settings file that is a folder do.
TEST(SaveFaults, UnwritableSettingsNeitherStopTivNorLeavePartialFiles) {
    using Step = void (*)(const std::string& program, const std::string& data);
    struct Case {
        const char* name;
        bool defSet;          // the data folder is AppData\Velket\Tiv, not the program's
        Step before;
        bool firstRun;
        Step whileRunning;
        Step check;
    };
    static const std::vector<std::string> programOnly{"DefSet.txt", "ReadMe.htm", "Tiv.exe"};
    static std::vector<unsigned char> defaults;
    defaults = defaultSettingsFile();
    ASSERT_EQ(defaults.size(), 10008u);
    ASSERT_EQ(dwordAt(defaults, kMinutesAt), 5u);
    const Case cases[] = {
        {"data folder is a file", true,
         [](const std::string&, const std::string& data) {
             std::string file = data.substr(0, data.size() - 1);
             CreateDirectoryA(file.substr(0, file.find_last_of('\\')).c_str(), nullptr);
             writeFile(file, {'x'});
         },
         true, nullptr,
         [](const std::string& program, const std::string& data) {
             EXPECT_EQ(readFile(data.substr(0, data.size() - 1)), std::vector<unsigned char>{'x'});
             EXPECT_EQ(namesIn(program), programOnly);
         }},
        {"data folder removed while running", true,
         [](const std::string&, const std::string& data) {
             std::string folder = data.substr(0, data.size() - 1);
             CreateDirectoryA(folder.substr(0, folder.find_last_of('\\')).c_str(), nullptr);
             CreateDirectoryA(folder.c_str(), nullptr);
             writeFile(data + "dTiv.dat", defaults);
         },
         false,
         [](const std::string&, const std::string& data) {
             EXPECT_TRUE(DeleteFileA((data + "dTiv.dat").c_str()));
             EXPECT_TRUE(RemoveDirectoryA(data.c_str()));
         },
         [](const std::string& program, const std::string& data) {
             EXPECT_EQ(GetFileAttributesA(data.c_str()), INVALID_FILE_ATTRIBUTES) << "the data folder came back";
             EXPECT_EQ(namesIn(program), programOnly);
         }},
        {"settings file is a folder", false,
         [](const std::string& program, const std::string&) { CreateDirectoryA((program + "dTiv.dat").c_str(), nullptr); },
         true, nullptr,
         [](const std::string& program, const std::string&) {
             EXPECT_TRUE(isFolder(program + "dTiv.dat"));
             EXPECT_EQ(namesIn(program + "dTiv.dat\\"), std::vector<std::string>{});
             EXPECT_EQ(namesIn(program), (std::vector<std::string>{"ReadMe.htm", "Tiv.exe", "dTiv.dat"}));
         }},
        {"settings file read-only", false,
         [](const std::string& program, const std::string&) {
             writeFile(program + "dTiv.dat", defaults);
             SetFileAttributesA((program + "dTiv.dat").c_str(), FILE_ATTRIBUTE_READONLY);
         },
         false, nullptr,
         [](const std::string& program, const std::string&) {
             std::string path = program + "dTiv.dat";
             std::vector<unsigned char> after = readFile(path);
             if (readOnlyHolds(program)) {
                 EXPECT_EQ(after, defaults) << "a read-only settings file was written";
             } else {
                 // Root under Wine: the save goes through, whole.
                 ASSERT_EQ(after.size(), 10008u);
                 EXPECT_EQ(std::string(after.begin(), after.begin() + 8), "TIVY1400");
                 EXPECT_EQ(dwordAt(after, kMinutesAt), 7u);
             }
             EXPECT_EQ(namesIn(program), (std::vector<std::string>{"ReadMe.htm", "Tiv.exe", "dTiv.dat"}));
         }},
    };
    struct Restore {
        ~Restore() { clearAppDataTiv(); }
    } restore;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clearAppDataTiv();
        std::string program = freshFolder();
        FolderGuard guard{program};
        if (c.defSet) writeFile(program + "DefSet.txt", {'x'});
        std::string data = c.defSet ? appDataTiv() : program;
        c.before(program, data);
        {
            Tiv tiv;
            ASSERT_TRUE(start(tiv, program, "/m=7"));
            if (c.firstRun) {
                HWND box = waitBox(tiv);
                ASSERT_NE(box, nullptr) << "no first-run question";
                EXPECT_EQ(itemText(box, IDC_MSG_LINE1), "感谢你试用Tiv.");
                ASSERT_TRUE(answerBox(box, 1));
            }
            HWND main = waitMain(tiv);
            ASSERT_NE(main, nullptr);
            if (c.whileRunning) c.whileRunning(program, data);
            EXPECT_TRUE(answers(main));
            PostMessageA(main, WM_CLOSE, 0, 0);
            ASSERT_TRUE(waitExit(tiv)) << "Tiv did not end; shown: " << windowsOf(tiv, "#32770", nullptr).size()
                                       << " boxes";
            DWORD code = 0;
            GetExitCodeProcess(tiv.process.hProcess, &code);
            EXPECT_EQ(code, 0u) << "Tiv crashed";
        }
        c.check(program, data);
    }
}

namespace {

// What a kill test needs of a file: its name, its temporary file's, the
// k-th save's bytes and the save loop's flag for it.
struct SavedFile {
    const char* file;
    const char* temp;
    std::vector<unsigned char> (*image)(uint32_t);
    const char* flag;
};

void killSaves(const SavedFile& f, uint32_t saves) {
    std::string folder = newTempFolder("tivkill");
    FolderGuard guard{folder};
    std::string path = folder + f.file;
    writeFile(path, f.image(0));

    char mappingName[64];
    std::snprintf(mappingName, sizeof mappingName, "TivSaveLoop_%lu_%s", GetCurrentProcessId(), f.file);
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(saveloop::Progress), mappingName);
    ASSERT_NE(mapping, nullptr);
    auto* progress = static_cast<saveloop::Progress*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(progress, nullptr);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string line = "\"" + std::string(self) + "\" " + saveloop::kFlag + " \"" +
                       folder.substr(0, folder.size() - 1) + "\" " + std::to_string(saves) + " " + mappingName + " " +
                       f.flag;

    unsigned seed = GetTickCount();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    uint32_t done = 0, kills = 0, oldKept = 0, tempsLeft = 0;
    DWORD started = GetTickCount();
    while (done < saves) {
        ASSERT_LT(GetTickCount() - started, 45000u) << "only " << done << " saves";
        progress->attempting = progress->done = static_cast<LONG>(done);
        std::vector<char> commandLine(line.begin(), line.end());
        commandLine.push_back('\0');
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child{};
        ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &child));
        uint32_t target = std::min<uint32_t>(saves, done + std::uniform_int_distribution<uint32_t>(5, 60)(random));
        waitFor(
            [&] {
                return static_cast<uint32_t>(progress->done) >= target ||
                       WaitForSingleObject(child.hProcess, 0) == WAIT_OBJECT_0;
            },
            20000);
        if (target < saves) {
            // A random moment within the next save or two.
            LARGE_INTEGER from, now;
            QueryPerformanceCounter(&from);
            LONGLONG spin = frequency.QuadPart * std::uniform_int_distribution<int>(0, 4000)(random) / 1000000;
            do QueryPerformanceCounter(&now);
            while (now.QuadPart - from.QuadPart < spin);
            TerminateProcess(child.hProcess, 9);
            ++kills;
        }
        bool ended = WaitForSingleObject(child.hProcess, 10000) == WAIT_OBJECT_0;
        DWORD code = 0;
        GetExitCodeProcess(child.hProcess, &code);
        CloseHandle(child.hProcess);
        CloseHandle(child.hThread);
        ASSERT_TRUE(ended) << "the saving child did not end";
        ASSERT_TRUE(code == 0 || code == 9) << "the child failed with " << code << " (3 no file, 4 a torn file "
                                            << "loaded, 5 a save failed) after " << done << " saves";

        uint32_t attempting = static_cast<uint32_t>(progress->attempting);
        uint32_t finished = static_cast<uint32_t>(progress->done);
        std::vector<unsigned char> now = readFile(path);
        bool isNew = now == f.image(attempting);
        bool isOld = attempting != finished && now == f.image(finished);
        ASSERT_TRUE(isNew || isOld) << "kill " << kills << " in save " << attempting << " left " << now.size()
                                    << " bytes: " << hex(std::string(now.begin(), now.begin() + std::min<size_t>(now.size(), 24)));
        if (!isNew) ++oldKept;
        if (GetFileAttributesA((folder + f.temp).c_str()) != INVALID_FILE_ATTRIBUTES) ++tempsLeft;
        done = isNew ? attempting : finished;
    }
    EXPECT_EQ(readFile(path), f.image(saves));
    EXPECT_GE(kills, 10u);
    std::printf("%s: %u saves, %u kills (%u left the old file, %u a temporary file) in %lu ms\n", f.file, saves,
                kills, oldKept, tempsLeft, GetTickCount() - started);
    UnmapViewOfFile(progress);
    CloseHandle(mapping);
}

}  // namespace

// Killed at random moments over a run of 1000 saves, a saving process always
// leaves the settings file, and dTiv.ini beside it, whole: the image before
// the save under way or the one it writes. A temporary file a kill leaves
// behind stops neither the next load nor the next save (the next child does both).
TEST(SaveFaults, KilledSavesLeaveTheOldOrTheNewWholeFile) {
    const SavedFile files[] = {
        {"dTiv.dat", "dTiv.tmp", saveloop::image, ""},
        {"dTiv.ini", "dTiv.ini.tmp", saveloop::extrasImage, saveloop::kExtras},
    };
    for (const SavedFile& f : files) {
        SCOPED_TRACE(f.file);
        killSaves(f, 1000);
    }
}
