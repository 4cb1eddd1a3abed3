// Byte-string and decimal helpers over caller-supplied buffers (code page 936
// bytes; a double-byte character counts as two). Callers guarantee room.
#pragma once
#include <cstdint>

namespace text {

uint32_t parseDecimal(const char* s);             // wraps; every byte adds (b - 48) mod 256
void formatDecimal(int32_t value, char* dest);    // "0", "-5", no padding
uint32_t length(const char* s);
char* copy(const char* source, char* dest);
char* append(char* dest, const char* source);
char* lowerCase(char* s);                         // ASCII A-Z only
// 1-based position of pattern at or after start; 0 none; -1 pattern not
// shorter than source; -2 start out of range.
int32_t find(int32_t start, const char* source, const char* pattern);
// Path becomes ".ext" padded to 3 and lowered (or just lowered when it has no
// dot); returns the position after the last dot, 1 when none.
int32_t pathExtension(char* path);
void pathFolder(char* path);                      // keep up to the last '\'

// Bounded copy for fixed fields: at most size-1 bytes, always terminated.
void copyBounded(char* dest, const char* source, uint32_t size);
// The folder (cut to size-1 bytes), then the name when it still fits in size
// bytes with the NUL. False when it did not: out holds the folder alone, and a
// caller that opens it anyway opens the folder.
bool joinPath(char* out, uint32_t size, const char* folder, const char* name);

}  // namespace text
