// Any bytes as the settings file: load, save, reload and save again.
#include <cstring>

#include "settings/record.h"
#include "tests/fuzz/check.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    using namespace settings;
    // A fresh process: a short image leaves the rest of the record as it was.
    std::memset(&record, 0, sizeof record);
    LoadAction action = applyFileImage(data, size);

    static unsigned char first[kFileSize], second[kFileSize];
    buildFileImage(first, false, nullptr);
    if (action == LoadAction::UseImage && size >= kFileSize)
        FUZZ_CHECK(std::memcmp(first + kHeaderSize, data + kHeaderSize, kRecordSize) == 0);

    std::memset(&record, 0, sizeof record);
    FUZZ_CHECK(applyFileImage(first, sizeof first) == LoadAction::UseImage);
    buildFileImage(second, false, nullptr);
    FUZZ_CHECK(std::memcmp(first, second, kFileSize) == 0);
    return 0;
}
