#include <windows.h>

#include <cstdlib>

#include "base/files.h"

namespace files {

namespace {

HANDLE openForReading(const char* path) {
    return CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// ReadFile may return less than asked; read on until full or at the end.
size_t readUpTo(HANDLE file, unsigned char* buffer, size_t capacity) {
    size_t total = 0;
    DWORD n = 0;
    while (total < capacity &&
           ReadFile(file, buffer + total, static_cast<DWORD>(capacity - total), &n, nullptr) && n > 0)
        total += n;
    return total;
}

}  // namespace

ReadResult readFile(const char* path, unsigned char* buffer, size_t capacity, size_t* got) {
    HANDLE file = openForReading(path);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD attributes = GetFileAttributesA(path);
        bool isFile = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
        return isFile ? ReadResult::Refused : ReadResult::Missing;
    }
    *got = readUpTo(file, buffer, capacity);
    CloseHandle(file);
    return ReadResult::Read;
}

bool readWhole(const char* path, unsigned char** data, size_t* length) {
    *data = nullptr;
    *length = 0;
    HANDLE file = openForReading(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    // Beyond what one ReadFile call or this address space can hold: treat as no memory.
    if (GetFileSizeEx(file, &size) && size.QuadPart >= 0 && static_cast<uint64_t>(size.QuadPart) < 0x7FFFFFFFu) {
        size_t capacity = static_cast<size_t>(size.QuadPart);
        if (auto* buffer = static_cast<unsigned char*>(std::malloc(capacity ? capacity : 1))) {
            *data = buffer;
            *length = readUpTo(file, buffer, capacity);
        }
    }
    CloseHandle(file);
    return true;
}

bool copy(const char* from, const char* to) { return CopyFileA(from, to, FALSE) != 0; }

bool canOpen(const char* path, Sharing others) {
    DWORD share = 0;
    if (others == Sharing::Read) share = FILE_SHARE_READ;
    else if (others == Sharing::ReadWrite) share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE file = CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
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
