#include "app/cmdline.h"

#include <cstring>

#include "countdown/engine.h"
#include "settings/record.h"
#include "settings/store.h"
#include "settings/text.h"

namespace app {

static const char kProtectedSpace = static_cast<char>(254);

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

    bool quoted = false;
    for (char* p = work; *p; ++p) {
        if (*p == '\t') *p = ' ';
        if (*p == '"') quoted = !quoted;
        else if (quoted && *p == ' ') *p = kProtectedSpace;
    }

    const char* p = work;
    for (uint32_t skipped = 0; skipped < n; ++skipped) {
        while (*p == ' ') ++p;
        while (*p && *p != ' ') ++p;
    }
    if (*p == '\0' && n != 0) return TokenStatus::NotFound;
    while (*p == ' ') ++p;

    uint32_t length = 0;
    for (; *p && *p != ' ' && length < kTokenChars; ++p) {
        if (*p == '"') continue;
        token[length++] = (*p == kProtectedSpace) ? ' ' : *p;
    }
    token[length] = '\0';
    return length != 0 ? TokenStatus::Found : TokenStatus::Empty;
}

uint32_t optionValue(const char* token) {
    if (text::length(token) < 3) return text::parseDecimal("");
    return text::parseDecimal(token + 3);
}

static bool endsWithG(const char* token) {
    uint32_t n = text::length(token);
    return n > 0 && (token[n - 1] == 'g' || token[n - 1] == 'G');
}

void readOptions(const char* commandLine) {
    settings::Record& r = settings::record;
    char token[kTokenChars + 1];
    for (uint32_t n = 1; commandToken(commandLine, n, token) == TokenStatus::Found; ++n) {
        if (endsWithG(token)) {
            countdown::runState[0] = countdown::kCounting;
            continue;
        }
        if (std::strncmp(token, "/s=", 3) == 0) {
            r.seconds = optionValue(token);
        } else if (std::strncmp(token, "/m=", 3) == 0) {
            r.minutes = optionValue(token);
        } else if (std::strncmp(token, "/h=", 3) == 0) {
            r.hours = optionValue(token);
        } else if (std::strncmp(token, "/a=", 3) == 0) {
            if (!settings::finishTextOverridden) settings::copyField(settings::savedFinishText, r.finishText[0]);
            settings::copyField(r.finishText[0], token + 3);
            settings::finishTextOverridden = true;
        }
    }
}

}  // namespace app
