// Command-line tokens and options.
#pragma once
#include <cstdint>

namespace app {

constexpr uint32_t kCommandLineChars = 195;  // working copy, longer input is cut
constexpr uint32_t kTokenChars = 191;

enum class TokenStatus { Found, NotFound, Empty, Unbalanced };

// Token n of the command line (0 is the program path) into a buffer of
// kTokenChars + 1 bytes.
TokenStatus commandToken(const char* commandLine, uint32_t n, char* token);

// The number written after the token's first three characters.
uint32_t optionValue(const char* token);

// Reads "/s=", "/m=", "/h=", "/a=" and the start flag into the settings
// record, `savedFinishText`, `finishTextOverridden` and slot 0's run state.
void readOptions(const char* commandLine);

}  // namespace app
