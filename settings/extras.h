// What Tiv keeps beside the settings record, in "dTiv.ini": global hotkeys
// and, per timer, counting on past zero. Everything here is off until the
// user turns it on, and the settings record never holds any of it.
#pragma once
#include <cstddef>
#include <cstdint>

namespace settings {

// The hotkeys' actions, in the order of the file and of the page.
enum HotkeyAction : uint32_t {
    kHotkeyStartStop,
    kHotkeyReset,
    kHotkeyStartAll,
    kHotkeyStopAll,
    kHotkeyStopSound,
    kHotkeyShowHide,
    kHotkeyCount
};

// Modifier bits, numbered as RegisterHotKey numbers them.
constexpr uint32_t kModAlt = 1;
constexpr uint32_t kModCtrl = 2;
constexpr uint32_t kModShift = 4;
constexpr uint32_t kModWin = 8;
constexpr uint32_t kModAll = kModAlt | kModCtrl | kModShift | kModWin;

// A combination: modifier bits and a virtual-key code. key 0 is off.
struct Hotkey {
    uint32_t modifiers;
    uint32_t key;
};
inline bool operator==(Hotkey a, Hotkey b) { return a.modifiers == b.modifiers && a.key == b.key; }
inline bool isOn(Hotkey h) { return h.key != 0; }

struct Extras {
    Hotkey hotkeys[kHotkeyCount];
    uint32_t overtime[4];   // 1: the timer counts on past zero until acknowledged
};
bool operator==(const Extras& a, const Extras& b);

// This run's values, and what the file holds (so an unchanged sheet writes
// nothing). The main thread's only.
extern Extras extras;
extern Extras extrasInFile;

// "Ctrl+Alt+S" and the like, any case; off for anything else, a key alone included.
Hotkey parseHotkey(const char* text, size_t length);
// The file's spelling; "" for off. `out` holds at least kHotkeyTextSize bytes.
constexpr uint32_t kHotkeyTextSize = 32;
void formatHotkey(Hotkey hotkey, char* out);
// Whether the key has a name in the file.
bool nameableKey(uint32_t key);

// The hotkey control's value (virtual key in the low byte, its own modifier
// bits above) and back.
Hotkey fromHotkeyControl(uint32_t value);
uint32_t toHotkeyControl(Hotkey hotkey);

// The file's text to values, each key on its own: what cannot be read is off.
// A later action that repeats an earlier one's combination is off.
Extras parseExtras(const char* text, size_t length);
// The whole file, CRLF lines; returns its length (at most `capacity`).
size_t formatExtras(const Extras& values, char* out, size_t capacity);

// Start-up: reads the file from the data folder; missing or unreadable, all off.
void loadExtras();
// Writes the file whole when this run's values differ from it; true when
// nothing needed writing or the write succeeded.
bool saveExtrasIfChanged();

}  // namespace settings
