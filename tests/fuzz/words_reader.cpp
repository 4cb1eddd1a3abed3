// Any bytes as the words file.
#include <cstring>

#include "settings/words.h"
#include "tests/fuzz/check.h"

namespace {

// The largest list a directive line may ask for; without one, ten.
constexpr uint32_t kMostEntries = 199;
constexpr uint32_t kDefaultEntries = 10;

bool terminated(const char* field, size_t bytes) { return std::memchr(field, 0, bytes) != nullptr; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    using namespace words;
    resetWords();
    bool stored = parseWords(data, size);

    uint32_t most = std::memchr(data, '-', size) ? kMostEntries : kDefaultEntries;
    FUZZ_CHECK(soundEntryCount <= most);
    FUZZ_CHECK(textEntryCount <= most);
    FUZZ_CHECK(stored == (soundEntryCount + textEntryCount != 0));
    for (uint32_t i = 0; i < soundEntryCount; ++i) {
        FUZZ_CHECK(terminated(soundEntries[i].name, kNameBytes));
        FUZZ_CHECK(terminated(soundEntries[i].path, kPathBytes));
    }
    for (uint32_t i = 0; i < textEntryCount; ++i)
        FUZZ_CHECK(terminated(textEntries[i].text, kTextBytes));
    return 0;
}
