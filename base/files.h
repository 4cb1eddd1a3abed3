// File primitives the settings store, the words file and the alarm sound need;
// Win32 in base/files_win.cpp.
#pragma once
#include <cstddef>
#include <cstdint>

namespace files {

enum class ReadResult {
    Read,
    Missing,   // no such file (a folder in its place is none either)
    Refused,   // the file is there but cannot be opened: another program holds it
};
// Reads at most `capacity` bytes of an existing file opened without sharing.
ReadResult readFile(const char* path, unsigned char* buffer, size_t capacity, size_t* got);

// Reads a whole existing file opened without sharing into a buffer for
// std::free. False when the file cannot be opened; when the memory cannot be
// had, true with a null buffer, so the caller never mistakes it for a missing file.
bool readWhole(const char* path, unsigned char** data, size_t* length);
// Copies `from` over `to`, replacing an existing `to`.
bool copy(const char* from, const char* to);

// The access other programs may hold on a file that still opens here (the share mode).
enum class Sharing { None, Read, ReadWrite };
// Whether the file opens for reading with that sharing; it is closed again at once.
bool canOpen(const char* path, Sharing others);

// Primitives for a save that never tears the file.
void* createAlways(const char* path);   // null on failure
size_t write(void* file, const unsigned char* data, size_t length);
bool flushAndClose(void* file);         // false when the data may not be on disk
bool replace(const char* from, const char* to);  // one step, write-through
void remove(const char* path);

}  // namespace files
