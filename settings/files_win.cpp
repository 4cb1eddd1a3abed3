#include <windows.h>

#include "settings/files.h"

namespace files {

bool readFile(const char* path, unsigned char* buffer, size_t capacity, size_t* got) {
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    size_t total = 0;
    DWORD n = 0;
    while (total < capacity &&
           ReadFile(file, buffer + total, static_cast<DWORD>(capacity - total), &n, nullptr) && n > 0)
        total += n;
    CloseHandle(file);
    *got = total;
    return true;
}

void* createAlways(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

size_t write(void* file, const unsigned char* data, size_t length) {
    DWORD n = 0;
    if (!WriteFile(static_cast<HANDLE>(file), data, static_cast<DWORD>(length), &n, nullptr)) return 0;
    return n;
}

bool flushAndClose(void* file) {
    bool flushed = FlushFileBuffers(static_cast<HANDLE>(file)) != 0;
    return CloseHandle(static_cast<HANDLE>(file)) != 0 && flushed;
}

bool replace(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void remove(const char* path) { DeleteFileA(path); }

}  // namespace files
