// The settings store's file primitives over POSIX files, with failures that
// tests can inject.
#pragma once
#include <cstddef>

namespace fake {

extern size_t failWriteAfter;   // a write stops after this many bytes (SIZE_MAX: never)
extern bool failReplace;
extern bool failCreate;
extern bool failCopy;
// The next this many reads of an existing settings file find it held by
// another program (SIZE_MAX: held for good).
extern size_t heldReads;
void resetFiles();

}  // namespace fake
