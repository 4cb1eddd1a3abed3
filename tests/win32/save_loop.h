// A child mode of this test program: real saves one after another, for a
// test that kills it at random moments and looks at what each kill left.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

namespace saveloop {

constexpr char kFlag[] = "--save-loop";

// Shared with the test that started the child: the save under way and the
// last one that returned.
struct Progress {
    volatile LONG attempting;
    volatile LONG done;
};

// The whole settings file that the k-th save writes: header and record, the
// record starting with k. Every byte differs from the (k-1)-th file's.
std::vector<unsigned char> image(uint32_t k);

// The k-th dTiv.ini: every save's differs from the one before.
std::vector<unsigned char> extrasImage(uint32_t k);
constexpr char kExtras[] = "ini";

// tiv_win32_tests.exe --save-loop DIR N [PROGRESS [ini]]: loads DIR's settings
// file (with "ini", dTiv.ini), which must be one of these images, then saves
// the images after it up to the N-th. PROGRESS names a file mapping holding a
// Progress. Exit code 0 when all were saved.
int run(int argc, char** argv);

}  // namespace saveloop
