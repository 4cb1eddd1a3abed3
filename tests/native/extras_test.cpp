#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/extras.h"
#include "settings/store.h"
#include "tests/native/fake_files.h"
#include "tests/native/fake_platform.h"

using settings::Hotkey;
using settings::kModAlt;
using settings::kModCtrl;
using settings::kModShift;
using settings::kModWin;

namespace {

std::string show(Hotkey h) { return std::to_string(h.modifiers) + "/0x" + std::to_string(h.key); }

// Every key name and modifier, any case and spacing; anything else is off.
TEST(Extras, HotkeyTextBothWays) {
    struct { const char* text; Hotkey hotkey; const char* written; } rows[] = {
        {"Ctrl+Alt+S", {kModCtrl | kModAlt, 'S'}, "Ctrl+Alt+S"},
        {"ctrl+ALT+s", {kModCtrl | kModAlt, 'S'}, "Ctrl+Alt+S"},
        {" Alt + Ctrl + s ", {kModCtrl | kModAlt, 'S'}, "Ctrl+Alt+S"},
        {"Win+Shift+Z", {kModWin | kModShift, 'Z'}, "Shift+Win+Z"},
        {"Ctrl+Alt+Shift+Win+A", {kModCtrl | kModAlt | kModShift | kModWin, 'A'}, "Ctrl+Alt+Shift+Win+A"},
        {"Shift+0", {kModShift, '0'}, "Shift+0"},
        {"Ctrl+9", {kModCtrl, '9'}, "Ctrl+9"},
        {"Ctrl+F1", {kModCtrl, 0x70}, "Ctrl+F1"},
        {"ctrl+f24", {kModCtrl, 0x87}, "Ctrl+F24"},
        {"Ctrl+Num0", {kModCtrl, 0x60}, "Ctrl+Num0"},
        {"Ctrl+num9", {kModCtrl, 0x69}, "Ctrl+Num9"},
        {"Alt+Space", {kModAlt, 0x20}, "Alt+Space"},
        {"Alt+Home", {kModAlt, 0x24}, "Alt+Home"},
        {"Alt+End", {kModAlt, 0x23}, "Alt+End"},
        {"Alt+PageUp", {kModAlt, 0x21}, "Alt+PageUp"},
        {"Alt+pagedown", {kModAlt, 0x22}, "Alt+PageDown"},
        {"Alt+Insert", {kModAlt, 0x2D}, "Alt+Insert"},
        {"Alt+Delete", {kModAlt, 0x2E}, "Alt+Delete"},
        {"Alt+Up", {kModAlt, 0x26}, "Alt+Up"},
        {"Alt+Down", {kModAlt, 0x28}, "Alt+Down"},
        {"Alt+Left", {kModAlt, 0x25}, "Alt+Left"},
        {"Alt+Right", {kModAlt, 0x27}, "Alt+Right"},
        {"Ctrl+Pause", {kModCtrl, 0x13}, "Ctrl+Pause"},
        // Off: no modifier, no key, unknown names, numbers out of range, junk.
        {"S", {}, ""},          {"F5", {}, ""},          {"Ctrl+", {}, ""},
        {"Ctrl", {}, ""},       {"+S", {}, ""},          {"Ctrl++S", {}, ""},
        {"Ctrl+F0", {}, ""},    {"Ctrl+F25", {}, ""},    {"Ctrl+F01", {}, ""},
        {"Ctrl+Num10", {}, ""}, {"Ctrl+Esc", {}, ""},    {"Hyper+S", {}, ""},
        {"Ctrl+SS", {}, ""},    {"Ctrl+Alt+S+T", {}, ""}, {"", {}, ""},
        {"Ctrl+\xc4\xe3", {}, ""}, {"Ctrl+\x01", {}, ""},
    };
    for (const auto& row : rows) {
        Hotkey got = settings::parseHotkey(row.text, std::strlen(row.text));
        EXPECT_TRUE(got == row.hotkey) << '"' << row.text << "\": got " << show(got) << ", expected " << show(row.hotkey);
        char written[settings::kHotkeyTextSize];
        settings::formatHotkey(got, written);
        EXPECT_STREQ(written, row.written) << row.text;
        // The hotkey control's value and back: the control has no Win key.
        if (!(row.hotkey.modifiers & kModWin)) {
            Hotkey back = settings::fromHotkeyControl(settings::toHotkeyControl(got));
            EXPECT_TRUE(back == got) << row.text << ": through the control " << show(back);
        }
    }
    std::string thousand(1000, 'S');
    EXPECT_FALSE(settings::isOn(settings::parseHotkey(("Ctrl+" + thousand).c_str(), 1005)));
}

class ExtrasFile : public ::testing::Test {
protected:
    std::string folder;
    void SetUp() override {
        fake::reset();
        fake::resetFiles();
        char pattern[] = "/tmp/tivextrasXXXXXX";
        folder = mkdtemp(pattern);
        folder += "/";
        std::snprintf(settings::store.dataFolder, sizeof settings::store.dataFolder, "%s", folder.c_str());
    }
    void TearDown() override {
        std::remove((folder + "dTiv.ini").c_str());
        std::remove((folder + "dTiv.ini.tmp").c_str());
        std::remove(folder.c_str());
    }
    std::string path() { return folder + "dTiv.ini"; }
    void write(const std::string& bytes) {
        FILE* f = std::fopen(path().c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    std::string read() {
        std::string bytes;
        if (FILE* f = std::fopen(path().c_str(), "rb")) {
            int c;
            while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<char>(c));
            std::fclose(f);
        }
        return bytes;
    }
};

// Each key is read on its own: what cannot be read turns that key off, never the others.
TEST_F(ExtrasFile, KeysReadOnTheirOwn) {
    const std::string example =
        "[Hotkeys]\r\nStartStop=Ctrl+Alt+S\r\nReset=Ctrl+Alt+R\r\nStartAll=\r\nStopAll=Ctrl+Alt+Q\r\n"
        "StopSound=Ctrl+Alt+M\r\nShowHide=Ctrl+Alt+T\r\n[Overtime]\r\nTimer1=1\r\nTimer2=0\r\n";
    const std::string junk(300, '\x01');
    struct { const char* name; std::string file; const char* startStop; const char* showHide; uint32_t overtime[4]; } rows[] = {
        {"the ReadMe's example", example, "Ctrl+Alt+S", "Ctrl+Alt+T", {1, 0, 0, 0}},
        {"any case, LF lines, spaces, comments",
         "; mine\n[hotkeys]\n  startstop = ctrl+alt+s \n#x\nSHOWHIDE=Win+F12\n[OVERTIME]\ntimer4 = 1\n", "Ctrl+Alt+S",
         "Win+F12", {0, 0, 0, 1}},
        {"a key alone and an unknown key name", "[Hotkeys]\nStartStop=S\nPause=Ctrl+P\nShowHide=Alt+Up\n", "", "Alt+Up",
         {0, 0, 0, 0}},
        {"keys outside their section", "StartStop=Ctrl+S\n[Other]\nShowHide=Ctrl+T\n[Overtime]\nTimer1=1\n", "", "",
         {1, 0, 0, 0}},
        {"values other than 1", "[Overtime]\nTimer1=yes\nTimer2=2\nTimer3=01\nTimer5=1\nTimer0=1\n", "", "", {0, 0, 0, 0}},
        {"a 1000-character line between good ones",
         "[Hotkeys]\nStartStop=Ctrl+Alt+S\nReset=Ctrl+" + std::string(1000, 'R') + "\nShowHide=Ctrl+Alt+T\n",
         "Ctrl+Alt+S", "Ctrl+Alt+T", {0, 0, 0, 0}},
        {"binary junk and NULs", junk + "\n[Hotkeys]\nStart" + std::string(1, '\0') + "Stop=Ctrl+A\nShowHide=Ctrl+B\n" + junk,
         "", "Ctrl+B", {0, 0, 0, 0}},
        {"the same combination twice: the later one is off",
         "[Hotkeys]\nStartStop=Ctrl+Alt+S\nShowHide=alt+ctrl+S\n", "Ctrl+Alt+S", "", {0, 0, 0, 0}},
        {"10 MB: the rest past the first part is off",
         "[Hotkeys]\nStartStop=Ctrl+Alt+S\n" + std::string(10 << 20, 'x') + "\nShowHide=Ctrl+Alt+T\n", "Ctrl+Alt+S", "",
         {0, 0, 0, 0}},
        {"empty", "", "", "", {0, 0, 0, 0}},
    };
    for (const auto& row : rows) {
        write(row.file);
        settings::loadExtras();
        char text[settings::kHotkeyTextSize];
        settings::formatHotkey(settings::extras.hotkeys[settings::kHotkeyStartStop], text);
        EXPECT_STREQ(text, row.startStop) << row.name;
        settings::formatHotkey(settings::extras.hotkeys[settings::kHotkeyShowHide], text);
        EXPECT_STREQ(text, row.showHide) << row.name;
        for (int s = 0; s < 4; ++s) EXPECT_EQ(settings::extras.overtime[s], row.overtime[s]) << row.name << ", timer " << s + 1;
        // What was read is what the file holds: nothing to write back.
        EXPECT_TRUE(settings::saveExtrasIfChanged()) << row.name;
        EXPECT_EQ(read(), row.file) << row.name;
    }
}

// Missing: all off and nothing written until a value changes; then the whole
// file, which reads back the same; a failed write leaves the old file.
TEST_F(ExtrasFile, WrittenOnlyWhenChangedAndWhole) {
    settings::loadExtras();
    EXPECT_FALSE(settings::isOn(settings::extras.hotkeys[0]));
    ASSERT_TRUE(settings::saveExtrasIfChanged());
    EXPECT_EQ(std::fopen(path().c_str(), "rb"), nullptr) << "written with nothing changed";

    settings::extras.hotkeys[settings::kHotkeyStopAll] = {kModCtrl | kModAlt, 'Q'};
    settings::extras.hotkeys[settings::kHotkeyShowHide] = {kModWin | kModShift, 0x70};
    settings::extras.overtime[2] = 1;
    ASSERT_TRUE(settings::saveExtrasIfChanged());
    const std::string written = read();
    EXPECT_EQ(written,
              "[Hotkeys]\r\nStartStop=\r\nReset=\r\nStartAll=\r\nStopAll=Ctrl+Alt+Q\r\nStopSound=\r\n"
              "ShowHide=Shift+Win+F1\r\n[Overtime]\r\nTimer1=0\r\nTimer2=0\r\nTimer3=1\r\nTimer4=0\r\n");
    settings::Extras saved = settings::extras;
    settings::extras = {};
    settings::loadExtras();
    EXPECT_TRUE(settings::extras == saved);

    settings::extras.overtime[0] = 1;
    fake::failWriteAfter = 20;
    EXPECT_FALSE(settings::saveExtrasIfChanged());
    fake::resetFiles();
    fake::failReplace = true;
    EXPECT_FALSE(settings::saveExtrasIfChanged());
    EXPECT_EQ(read(), written);
    fake::resetFiles();
    EXPECT_TRUE(settings::saveExtrasIfChanged());
    EXPECT_NE(read(), written);
}

}  // namespace
