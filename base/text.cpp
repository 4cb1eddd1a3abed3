#include "base/text.h"

namespace text {

uint32_t parseDecimal(const char* s) {
    uint32_t value = 0;
    for (; *s; ++s)
        value = value * 10u + static_cast<uint8_t>(static_cast<uint8_t>(*s) - 48u);
    return value;
}

void formatDecimal(int32_t value, char* dest) {
    char digits[12];
    int n = 0;
    // Work in unsigned so INT32_MIN has a magnitude.
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) *dest++ = '-';
    while (n > 0) *dest++ = digits[--n];
    *dest = '\0';
}

uint32_t length(const char* s) {
    uint32_t n = 0;
    while (s[n]) ++n;
    return n;
}

char* copy(const char* source, char* dest) {
    char* d = dest;
    while ((*d++ = *source++) != '\0') {}
    return dest;
}

char* append(char* dest, const char* source) {
    copy(source, dest + length(dest));
    return dest;
}

char* lowerCase(char* s) {
    for (char* p = s; *p; ++p)
        if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p + 32);
    return s;
}

int32_t find(int32_t start, const char* source, const char* pattern) {
    int32_t sourceLength = static_cast<int32_t>(length(source));
    int32_t patternLength = static_cast<int32_t>(length(pattern));
    if (patternLength >= sourceLength) return -1;
    int32_t lastStart = sourceLength - patternLength + 1;
    if (start < 1 || start > lastStart) return -2;
    for (int32_t pos = start; pos <= lastStart; ++pos) {
        int32_t i = 0;
        while (i < patternLength && source[pos - 1 + i] == pattern[i]) ++i;
        if (i == patternLength) return pos;
    }
    return 0;
}

int32_t pathExtension(char* path) {
    int32_t last = 0;
    for (int32_t hit = find(1, path, "."); hit > 0; hit = find(hit + 1, path, "."))
        last = hit;
    if (last == 0) {
        lowerCase(path);
        return 1;
    }
    copy(path + last - 1, path);
    uint32_t n = length(path);
    while (n < 3) path[n++] = ' ';
    path[n] = '\0';
    lowerCase(path);
    return last + 1;
}

void pathFolder(char* path) {
    uint32_t n = length(path);
    while (n > 0 && path[n - 1] != '\\') --n;
    if (n > 0) path[n] = '\0';
}

void copyBounded(char* dest, const char* source, uint32_t size) {
    if (size == 0) return;
    uint32_t i = 0;
    for (; i + 1 < size && source[i]; ++i) dest[i] = source[i];
    dest[i] = '\0';
}

bool joinPath(char* out, uint32_t size, const char* folder, const char* name) {
    if (size == 0) return false;
    copyBounded(out, folder, size);
    bool fits = length(out) + length(name) < size;
    if (fits) append(out, name);
    return fits;
}

}  // namespace text
