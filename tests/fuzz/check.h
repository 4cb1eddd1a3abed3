// Stops the run so libFuzzer keeps the input, in every build type.
#pragma once
#include <cstdio>

#define FUZZ_CHECK(cond)                                                        \
    do {                                                                        \
        if (!(cond)) {                                                          \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            __builtin_trap();                                                   \
        }                                                                       \
    } while (0)
