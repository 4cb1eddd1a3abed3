#include "settings/extras.h"

#include <cstring>

#include "base/files.h"
#include "base/text.h"
#include "settings/store.h"

namespace settings {

Extras extras;
Extras extrasInFile;

namespace {

const char kFileName[] = "dTiv.ini";
const char kTempName[] = "dTiv.ini.tmp";
// A hand-written file is a few hundred bytes; what lies beyond this is not read.
constexpr size_t kFileLimit = 64 * 1024;
// A longer line is not one of ours: it is passed over whole.
constexpr size_t kLineLimit = 256;

const char* const kActionNames[kHotkeyCount] = {"StartStop", "Reset", "StartAll", "StopAll", "StopSound", "ShowHide"};

struct Named {
    const char* name;
    uint32_t value;
};
const Named kModifiers[] = {{"Ctrl", kModCtrl}, {"Alt", kModAlt}, {"Shift", kModShift}, {"Win", kModWin}};
const Named kNamedKeys[] = {{"Space", 0x20}, {"PageUp", 0x21}, {"PageDown", 0x22}, {"End", 0x23},
                            {"Home", 0x24},  {"Left", 0x25},   {"Up", 0x26},       {"Right", 0x27},
                            {"Down", 0x28},  {"Insert", 0x2D}, {"Delete", 0x2E},   {"Pause", 0x13}};
constexpr uint32_t kKeyF1 = 0x70;
constexpr uint32_t kKeyNum0 = 0x60;
constexpr uint32_t kFunctionKeys = 24;

// The hotkey control's modifier bits.
constexpr uint32_t kControlShift = 0x01;
constexpr uint32_t kControlCtrl = 0x02;
constexpr uint32_t kControlAlt = 0x04;
constexpr uint32_t kControlExtended = 0x08;

struct Span {
    const char* at;
    size_t length;
};

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same(Span s, const char* name) {
    size_t n = std::strlen(name);
    if (s.length != n) return false;
    for (size_t i = 0; i < n; ++i)
        if (lower(s.at[i]) != lower(name[i])) return false;
    return true;
}

Span trimmed(Span s) {
    while (s.length > 0 && (s.at[0] == ' ' || s.at[0] == '\t')) ++s.at, --s.length;
    while (s.length > 0 && (s.at[s.length - 1] == ' ' || s.at[s.length - 1] == '\t' || s.at[s.length - 1] == '\r'))
        --s.length;
    return s;
}

// 1..limit written in plain decimal, else 0.
uint32_t smallNumber(Span s, uint32_t limit) {
    if (s.length == 0 || s.length > 2 || s.at[0] == '0') return 0;
    uint32_t n = 0;
    for (size_t i = 0; i < s.length; ++i) {
        if (s.at[i] < '0' || s.at[i] > '9') return 0;
        n = n * 10 + static_cast<uint32_t>(s.at[i] - '0');
    }
    return n <= limit ? n : 0;
}

uint32_t keyOf(Span s) {
    if (s.length == 1) {
        char c = lower(s.at[0]);
        if (c >= 'a' && c <= 'z') return static_cast<uint32_t>(c - 'a' + 'A');
        if (c >= '0' && c <= '9') return static_cast<uint32_t>(c);
    }
    for (const Named& k : kNamedKeys)
        if (same(s, k.name)) return k.value;
    if (s.length >= 2 && lower(s.at[0]) == 'f') {
        uint32_t n = smallNumber({s.at + 1, s.length - 1}, kFunctionKeys);
        if (n != 0) return kKeyF1 + n - 1;
    }
    if (s.length == 4 && same({s.at, 3}, "Num") && s.at[3] >= '0' && s.at[3] <= '9')
        return kKeyNum0 + static_cast<uint32_t>(s.at[3] - '0');
    return 0;
}

uint32_t modifierOf(Span s) {
    for (const Named& m : kModifiers)
        if (same(s, m.name)) return m.value;
    return 0;
}

bool extendedKey(uint32_t key) {
    return (key >= 0x21 && key <= 0x28) || key == 0x2D || key == 0x2E;
}

void dropRepeatedCombinations(Extras& values) {
    for (uint32_t i = 0; i < kHotkeyCount; ++i)
        for (uint32_t j = 0; j < i; ++j)
            if (isOn(values.hotkeys[i]) && values.hotkeys[i] == values.hotkeys[j]) values.hotkeys[i] = {};
}

enum class Section { None, Hotkeys, Overtime };

void readLine(Span line, Section& section, Extras& values) {
    line = trimmed(line);
    if (line.length == 0 || line.at[0] == ';' || line.at[0] == '#') return;
    if (line.at[0] == '[') {
        section = Section::None;
        if (same(line, "[Hotkeys]")) section = Section::Hotkeys;
        if (same(line, "[Overtime]")) section = Section::Overtime;
        return;
    }
    const void* equals = std::memchr(line.at, '=', line.length);
    if (!equals) return;
    size_t keyLength = static_cast<size_t>(static_cast<const char*>(equals) - line.at);
    Span key = trimmed({line.at, keyLength});
    Span value = trimmed({line.at + keyLength + 1, line.length - keyLength - 1});
    if (section == Section::Hotkeys) {
        for (uint32_t a = 0; a < kHotkeyCount; ++a)
            if (same(key, kActionNames[a])) values.hotkeys[a] = parseHotkey(value.at, value.length);
    } else if (section == Section::Overtime) {
        if (key.length == 6 && same({key.at, 5}, "Timer")) {
            uint32_t timer = smallNumber({key.at + 5, 1}, 4);
            if (timer != 0) values.overtime[timer - 1] = value.length == 1 && value.at[0] == '1' ? 1 : 0;
        }
    }
}

void dataPath(char* out, const char* name) { text::joinPath(out, kFolderSize, store.dataFolder, name); }

}  // namespace

bool operator==(const Extras& a, const Extras& b) {
    for (uint32_t i = 0; i < kHotkeyCount; ++i)
        if (!(a.hotkeys[i] == b.hotkeys[i])) return false;
    for (uint32_t s = 0; s < 4; ++s)
        if (a.overtime[s] != b.overtime[s]) return false;
    return true;
}

// The key's name in the file, "" when it has none; `name` holds 12 bytes.
static void keyName(uint32_t key, char* name) {
    name[0] = '\0';
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        name[0] = static_cast<char>(key);
        name[1] = '\0';
    } else if (key >= kKeyF1 && key < kKeyF1 + kFunctionKeys) {
        name[0] = 'F';
        text::formatDecimal(static_cast<int32_t>(key - kKeyF1 + 1), name + 1);
    } else if (key >= kKeyNum0 && key <= kKeyNum0 + 9) {
        text::copy("Num0", name);
        name[3] = static_cast<char>('0' + key - kKeyNum0);
    } else {
        for (const Named& k : kNamedKeys)
            if (k.value == key) text::copy(k.name, name);
    }
}

bool nameableKey(uint32_t key) {
    char name[12];
    keyName(key, name);
    return name[0] != '\0';
}

Hotkey parseHotkey(const char* textIn, size_t length) {
    Span all = trimmed({textIn, length});
    if (all.length == 0 || all.length >= kLineLimit) return {};
    uint32_t modifiers = 0;
    size_t start = 0;
    for (size_t i = 0; i <= all.length; ++i) {
        if (i < all.length && all.at[i] != '+') continue;
        Span part = trimmed({all.at + start, i - start});
        if (i == all.length) {
            uint32_t key = keyOf(part);
            if (key == 0 || modifiers == 0) return {};
            return {modifiers, key};
        }
        uint32_t m = modifierOf(part);
        if (m == 0) return {};
        modifiers |= m;
        start = i + 1;
    }
    return {};
}

void formatHotkey(Hotkey hotkey, char* out) {
    out[0] = '\0';
    if (!isOn(hotkey) || !nameableKey(hotkey.key) || (hotkey.modifiers & kModAll) == 0) return;
    for (const Named& m : kModifiers) {
        if (!(hotkey.modifiers & m.value)) continue;
        text::append(out, m.name);
        text::append(out, "+");
    }
    char name[12];
    keyName(hotkey.key, name);
    text::append(out, name);
}

Hotkey fromHotkeyControl(uint32_t value) {
    uint32_t key = value & 0xFF;
    uint32_t flags = (value >> 8) & 0xFF;
    uint32_t modifiers = 0;
    if (flags & kControlShift) modifiers |= kModShift;
    if (flags & kControlCtrl) modifiers |= kModCtrl;
    if (flags & kControlAlt) modifiers |= kModAlt;
    if (modifiers == 0 || !nameableKey(key)) return {};
    return {modifiers, key};
}

uint32_t toHotkeyControl(Hotkey hotkey) {
    if (!isOn(hotkey)) return 0;
    uint32_t flags = 0;
    if (hotkey.modifiers & kModShift) flags |= kControlShift;
    if (hotkey.modifiers & kModCtrl) flags |= kControlCtrl;
    if (hotkey.modifiers & kModAlt) flags |= kControlAlt;
    if (extendedKey(hotkey.key)) flags |= kControlExtended;
    return (flags << 8) | (hotkey.key & 0xFF);
}

Extras parseExtras(const char* textIn, size_t length) {
    Extras values{};
    if (length > kFileLimit) length = kFileLimit;
    Section section = Section::None;
    size_t start = 0;
    for (size_t i = 0; i <= length; ++i) {
        if (i < length && textIn[i] != '\n') continue;
        if (i - start <= kLineLimit) readLine({textIn + start, i - start}, section, values);
        start = i + 1;
    }
    dropRepeatedCombinations(values);
    return values;
}

size_t formatExtras(const Extras& values, char* out, size_t capacity) {
    // Every line at its longest: a name, '=', a combination, CRLF.
    char file[1024] = "[Hotkeys]\r\n";
    for (uint32_t a = 0; a < kHotkeyCount; ++a) {
        char combination[kHotkeyTextSize];
        formatHotkey(values.hotkeys[a], combination);
        text::append(file, kActionNames[a]);
        text::append(file, "=");
        text::append(file, combination);
        text::append(file, "\r\n");
    }
    text::append(file, "[Overtime]\r\n");
    for (uint32_t s = 0; s < 4; ++s) {
        char line[] = "Timer1=0\r\n";
        line[5] = static_cast<char>('1' + s);
        line[7] = values.overtime[s] == 1 ? '1' : '0';
        text::append(file, line);
    }
    size_t n = text::length(file);
    if (n > capacity) n = capacity;
    std::memcpy(out, file, n);
    return n;
}

void loadExtras() {
    char path[kFolderSize];
    dataPath(path, kFileName);
    static unsigned char image[kFileLimit];
    size_t got = 0;
    extras = {};
    if (files::readFile(path, image, sizeof image, &got) == files::ReadResult::Read)
        extras = parseExtras(reinterpret_cast<const char*>(image), got);
    extrasInFile = extras;
}

bool saveExtrasIfChanged() {
    if (extras == extrasInFile) return true;
    char image[1024];
    size_t n = formatExtras(extras, image, sizeof image);
    char path[kFolderSize];
    dataPath(path, kFileName);
    if (!writeWhole(path, kTempName, reinterpret_cast<const unsigned char*>(image), static_cast<uint32_t>(n)))
        return false;
    extrasInFile = extras;
    return true;
}

}  // namespace settings
