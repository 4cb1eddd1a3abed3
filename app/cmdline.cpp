#include "app/cmdline.h"

#include <cstring>

#include "base/text.h"
#include "countdown/engine.h"
#include "settings/record.h"
#include "settings/store.h"

namespace app {

// Bytes of the character at p in code page 936: a lead byte and a trail byte
// are one character. Spaces, tabs and quotes are never trail bytes, so they
// always stand for themselves.
static uint32_t charBytes(const char* p) {
    unsigned char lead = static_cast<unsigned char>(p[0]);
    unsigned char trail = static_cast<unsigned char>(p[1]);
    bool pair = lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
    return pair ? 2 : 1;
}

TokenStatus commandToken(const char* commandLine, uint32_t n, char* token) {
    token[0] = '\0';
    char work[kCommandLineChars + 1];
    text::copyBounded(work, commandLine, sizeof work);

    // The whole line's quotes, not just the kept part's: a quoted text that
    // crosses the cut must not make every option look unbalanced.
    uint32_t quotes = 0;
    for (const char* p = commandLine; *p; ++p)
        if (*p == '"') ++quotes;
    if (quotes % 2 != 0) return TokenStatus::Unbalanced;

    for (char* p = work; *p; ++p)
        if (*p == '\t') *p = ' ';

    // A space inside quotes belongs to its token. The quoting is followed
    // from the start of the line, not marked in the text: any byte a marker
    // could use is also the second byte of some character.
    bool quoted = false;
    auto separates = [&quoted](const char* p) { return *p == ' ' && !quoted; };
    const char* p = work;
    for (uint32_t skipped = 0; skipped < n; ++skipped) {
        while (*p == ' ') ++p;
        for (; *p && !separates(p); p += charBytes(p))
            if (*p == '"') quoted = !quoted;
    }
    if (*p == '\0' && n != 0) return TokenStatus::NotFound;
    while (*p == ' ') ++p;

    uint32_t length = 0;
    for (uint32_t bytes; *p && !separates(p); p += bytes) {
        bytes = charBytes(p);
        if (*p == '"') {
            quoted = !quoted;
            continue;
        }
        if (length + bytes > kTokenChars) break;   // never half a character
        for (uint32_t i = 0; i < bytes; ++i) token[length++] = p[i];
    }
    token[length] = '\0';
    return length != 0 ? TokenStatus::Found : TokenStatus::Empty;
}

uint32_t optionValue(const char* token) {
    if (text::length(token) < 3) return text::parseDecimal("");
    return text::parseDecimal(token + 3);
}

// The last character, not the last byte: 間 (E9 67) does not end in g.
static bool endsWithG(const char* token) {
    const char* last = nullptr;
    for (const char* p = token; *p; p += charBytes(p)) last = p;
    return last && charBytes(last) == 1 && (*last == 'g' || *last == 'G');
}

void readOptions(const char* commandLine) {
    settings::Record& r = settings::record;
    char token[kTokenChars + 1];
    for (uint32_t n = 1; commandToken(commandLine, n, token) == TokenStatus::Found; ++n) {
        if (endsWithG(token)) {
            countdown::state.slots[0].runState = countdown::kCounting;
            continue;
        }
        if (std::strncmp(token, "/s=", 3) == 0) {
            r.seconds = optionValue(token);
        } else if (std::strncmp(token, "/m=", 3) == 0) {
            r.minutes = optionValue(token);
        } else if (std::strncmp(token, "/h=", 3) == 0) {
            r.hours = optionValue(token);
        } else if (std::strncmp(token, "/a=", 3) == 0) {
            if (!settings::store.finishTextOverridden) settings::copyField(settings::store.savedFinishText, r.finishText[0]);
            settings::copyField(r.finishText[0], token + 3);
            settings::store.finishTextOverridden = true;
        }
    }
}

}  // namespace app
