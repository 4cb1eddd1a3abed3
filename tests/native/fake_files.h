// The settings store's file primitives over POSIX files, with failures that
// tests can inject.
#pragma once
#include <cstddef>

namespace fake {

extern size_t failWriteAfter;   // a write stops after this many bytes (SIZE_MAX: never)
extern bool failReplace;
extern bool failCreate;
extern bool failCopy;
void resetFiles();

}  // namespace fake
