#include "tests/native/fake_files.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/files.h"

namespace fake {

size_t failWriteAfter = SIZE_MAX;
bool failReplace;
bool failCreate;
bool failCopy;
size_t heldReads;

void resetFiles() {
    failWriteAfter = SIZE_MAX;
    failReplace = false;
    failCreate = false;
    failCopy = false;
    heldReads = 0;
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

ReadResult readFile(const char* path, unsigned char* buffer, size_t capacity, size_t* got) {
    FILE* f = std::fopen(fake::hostPath(path).c_str(), "rb");
    if (!f) return ReadResult::Missing;
    if (fake::heldReads > 0) {
        if (fake::heldReads != SIZE_MAX) --fake::heldReads;
        std::fclose(f);
        return ReadResult::Refused;
    }
    *got = std::fread(buffer, 1, capacity, f);
    std::fclose(f);
    return ReadResult::Read;
}

bool readWhole(const char* path, unsigned char** data, size_t* length) {
    *data = nullptr;
    *length = 0;
    FILE* f = std::fopen(fake::hostPath(path).c_str(), "rb");
    if (!f) return false;
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::rewind(f);
    if (size >= 0) {
        *data = static_cast<unsigned char*>(std::malloc(size ? size : 1));
        if (*data) *length = std::fread(*data, 1, size, f);
    }
    std::fclose(f);
    return true;
}

bool copy(const char* from, const char* to) {
    if (fake::failCopy) return false;
    FILE* in = std::fopen(fake::hostPath(from).c_str(), "rb");
    if (!in) return false;
    FILE* out = std::fopen(fake::hostPath(to).c_str(), "wb");
    bool copied = out != nullptr;
    int c;
    while (out && (c = std::fgetc(in)) != EOF) copied = std::fputc(c, out) != EOF && copied;
    if (out && std::fclose(out) != 0) copied = false;
    std::fclose(in);
    return copied;
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
