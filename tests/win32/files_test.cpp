// files::canOpen against a file another handle holds, the way another
// program would hold it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/files.h"
#include "driver.h"

namespace {

TEST(Files, CanOpenAsTheSharingAllows) {
    std::string folder = driver::newTempFolder("tivfiles");
    std::string path = folder + "held.wav";
    driver::writeFile(path, {'R', 'I', 'F', 'F'});
    const DWORD kNotHeld = 0xFFFFFFFFu;
    struct Row {
        const char* what;
        std::string path;
        DWORD access, share;   // of the other handle; kNotHeld for none
        bool none, read, readWrite;
    } rows[] = {
        {"not held", path, kNotHeld, 0, true, true, true},
        {"read, sharing reading", path, GENERIC_READ, FILE_SHARE_READ, false, true, true},
        {"read, sharing both", path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, false, true, true},
        {"written, sharing both", path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, false, false, true},
        {"read, sharing nothing", path, GENERIC_READ, 0, false, false, false},
        {"written, sharing writing", path, GENERIC_WRITE, FILE_SHARE_WRITE, false, false, false},
        {"missing", folder + "none.wav", kNotHeld, 0, false, false, false},
        {"a folder", folder, kNotHeld, 0, false, false, false},
    };
    for (const Row& row : rows) {
        HANDLE held = INVALID_HANDLE_VALUE;
        if (row.access != kNotHeld) {
            held = CreateFileA(path.c_str(), row.access, row.share, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE) << row.what;
        }
        EXPECT_EQ(files::canOpen(row.path.c_str(), files::Sharing::None), row.none) << row.what;
        EXPECT_EQ(files::canOpen(row.path.c_str(), files::Sharing::Read), row.read) << row.what;
        EXPECT_EQ(files::canOpen(row.path.c_str(), files::Sharing::ReadWrite), row.readWrite) << row.what;
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    }
    driver::removeFolder(folder);
}

}  // namespace
