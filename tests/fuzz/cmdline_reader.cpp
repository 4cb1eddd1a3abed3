// Any bytes as the command line: its tokens, then the options read from it.
#include <cstring>
#include <memory>
#include <string>

#include "app/cmdline.h"
#include "countdown/engine.h"
#include "settings/record.h"
#include "settings/store.h"
#include "tests/fuzz/check.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    using namespace app;
    const std::string line(reinterpret_cast<const char*>(data), size);
    // Exactly the size the callers give, so AddressSanitizer sees one byte too many.
    std::unique_ptr<char[]> token(new char[kTokenChars + 1]);

    // Every token is a piece of the kept line as it reads without its quotes
    // and with tabs as spaces: no byte of it is changed.
    std::string flat;
    for (char c : line.substr(0, std::strlen(line.c_str())).substr(0, kCommandLineChars))
        if (c != '"') flat += c == '\t' ? ' ' : c;

    for (uint32_t n = 0; n <= kCommandLineChars + 1; ++n) {
        TokenStatus status = commandToken(line.c_str(), n, token.get());
        FUZZ_CHECK(std::memchr(token.get(), 0, kTokenChars + 1) != nullptr);
        FUZZ_CHECK((status == TokenStatus::Found) == (token[0] != '\0'));
        FUZZ_CHECK(flat.find(token.get()) != std::string::npos);
        if (status == TokenStatus::Unbalanced || status == TokenStatus::NotFound) break;
    }

    std::memset(&settings::record, 0, sizeof settings::record);
    settings::fullDefaults();
    settings::store.finishTextOverridden = false;
    countdown::state.slots[0].runState = countdown::kIdle;
    readOptions(line.c_str());
    FUZZ_CHECK(std::memchr(settings::record.finishText[0], 0, settings::kTextSize) != nullptr);
    FUZZ_CHECK(std::memchr(settings::store.savedFinishText, 0, settings::kFolderSize) != nullptr);
    return 0;
}
