#include "tests/native/fake_files.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "settings/files.h"

namespace fake {

size_t failWriteAfter = SIZE_MAX;
bool failReplace;
bool failCreate;

void resetFiles() {
    failWriteAfter = SIZE_MAX;
    failReplace = false;
    failCreate = false;
}

// Tests give Windows-style paths ending in '\'; map them to '/'.
std::string hostPath(const char* path) {
    std::string p(path);
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

}  // namespace fake

namespace files {

bool readFile(const char* path, unsigned char* buffer, size_t capacity, size_t* got) {
    FILE* f = std::fopen(fake::hostPath(path).c_str(), "rb");
    if (!f) return false;
    *got = std::fread(buffer, 1, capacity, f);
    std::fclose(f);
    return true;
}

void* createAlways(const char* path) {
    if (fake::failCreate) return nullptr;
    return std::fopen(fake::hostPath(path).c_str(), "wb");
}

size_t write(void* file, const unsigned char* data, size_t length) {
    size_t allowed = length < fake::failWriteAfter ? length : fake::failWriteAfter;
    return std::fwrite(data, 1, allowed, static_cast<FILE*>(file));
}

bool flushAndClose(void* file) { return std::fclose(static_cast<FILE*>(file)) == 0; }

bool replace(const char* from, const char* to) {
    if (fake::failReplace) return false;
    return std::rename(fake::hostPath(from).c_str(), fake::hostPath(to).c_str()) == 0;
}

void remove(const char* path) { std::remove(fake::hostPath(path).c_str()); }

}  // namespace files
