// Time fields, a remaining time and the display flags from the bytes.
#include <cstring>
#include <memory>

#include "countdown/engine.h"
#include "settings/record.h"
#include "tests/fuzz/check.h"

namespace {

uint32_t take(const unsigned char*& data, size_t& size) {
    uint32_t v = 0;
    size_t n = size < 4 ? size : 4;
    std::memcpy(&v, data, n);
    data += n;
    size -= n;
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    settings::Record& r = settings::record;
    r.days = take(data, size);
    r.hours = take(data, size);
    r.minutes = take(data, size);
    r.seconds = take(data, size);
    uint32_t ms = take(data, size);
    r.dayDisplay = take(data, size);
    r.showSeconds = take(data, size);

    uint64_t total = settings::normaliseTime(r);
    FUZZ_CHECK(r.seconds < 60 && r.minutes < 60 && r.hours < 24 && r.days <= 49);
    FUZZ_CHECK(total <= settings::kMaxTotalMs);
    FUZZ_CHECK(total == (((r.days * 24ull + r.hours) * 60 + r.minutes) * 60 + r.seconds) * 1000);

    // Heap-allocated at its real size, so AddressSanitizer sees any byte past it.
    std::unique_ptr<char[]> text(new char[countdown::kTextBytes]());
    uint32_t width = countdown::formatRemaining(ms, text.get());
    FUZZ_CHECK(std::memchr(text.get(), 0, countdown::kTextBytes) != nullptr);
    FUZZ_CHECK(width >= 1 && width <= std::strlen(text.get()));
    return 0;
}
