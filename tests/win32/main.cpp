// GoogleTest's entry, and the child modes that tests start this program in.
#include <gtest/gtest.h>

#include <cstring>

#include "save_loop.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], saveloop::kFlag) == 0) return saveloop::run(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
