#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "settings/store.h"
#include "settings/words.h"
#include "tests/native/fake_files.h"

using namespace std::string_literals;

namespace {

// Filler entries "n000"/"p000", "t000"... as file lines, or as render() shows them.
std::string pairs(int from, int to, bool asFile) {
    std::string out;
    char name[16], path[16];
    for (int i = from; i < to; ++i) {
        std::snprintf(name, sizeof name, "n%03d", i);
        std::snprintf(path, sizeof path, "p%03d", i);
        out += asFile ? name + "\r\n"s + path + "\r\n" : name + ">"s + path + "|";
    }
    return out;
}

std::string texts(int from, int to, bool asFile) {
    std::string out;
    char line[16];
    for (int i = from; i < to; ++i) {
        std::snprintf(line, sizeof line, "t%03d", i);
        out += line + (asFile ? "\r\n"s : "|"s);
    }
    return out;
}

std::string renderSounds() {
    std::string out;
    for (uint32_t i = 0; i < words::soundEntryCount; ++i)
        out += std::string(words::soundEntries[i].name) + ">" + words::soundEntries[i].path + "|";
    return out;
}

std::string renderTexts() {
    std::string out;
    for (uint32_t i = 0; i < words::textEntryCount; ++i) out += std::string(words::textEntries[i].text) + "|";
    return out;
}

std::string fileText(const std::string& path) {
    std::string out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::fgetc(f)) != EOF;) out += static_cast<char>(c);
        std::fclose(f);
    }
    return out;
}

void writeText(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

}  // namespace

TEST(Words, ParseGrammar) {
    const std::string example = "-r20\r\n*sounds\r\nBell\r\nC:\\Windows\\Media\\ding.wav\r\n*text\r\nTea is ready\r\n";
    const std::string bell = "Bell>C:\\Windows\\Media\\ding.wav|";
    const std::string shipped = fileText(TIV_SOURCE_DIR "/resources/dWords.txt");
    const std::string shippedSounds =
        "闹钟>C:\\Windows\\Media\\Alarm01.wav|钟声>C:\\Windows\\Media\\chimes.wav|"
        "铃声>C:\\Windows\\Media\\Ring01.wav|提示音>C:\\Windows\\Media\\notify.wav|"
        "完成>C:\\Windows\\Media\\tada.wav|";
    const std::string shippedTexts = "时间到了!|休息一下吧|茶泡好了|会议马上开始|该出发了|";
    const std::string fill = "*sou\r\n" + pairs(0, 300, true) + "*tex\r\n" + texts(0, 300, true);
    struct {
        const char* what;
        std::string file, sounds, texts;
    } cases[] = {
        {"example", example, bell, "Tea is ready|"},
        {"example's capacities 20 and 10", example + fill, bell + pairs(0, 19, false), "Tea is ready|" + texts(0, 9, false)},
        {"empty file", "", "", ""},
        {"LF only ends no line", "*sou\nBell\nC:\\b.wav\n*tex\nTea time\n", "", ""},
        {"last line without CR", "*tex\r\nTea time\r\nLast one", "", "Tea time|"},
        {"hyphenated name before the first entry: a directive",
         "*sou\r\nCuckoo-clock\r\nC:\\c.wav\r\nBell\r\nC:\\b.wav\r\n", "C:\\c.wav>Bell|", ""},
        {"hyphenated name after it: ignored",
         "*sou\r\nBell\r\nC:\\b.wav\r\nCuckoo-clock\r\nC:\\c.wav\r\nGong\r\nC:\\g.wav\r\n",
         "Bell>C:\\b.wav|C:\\c.wav>Gong|", ""},
        {"one- and two-byte names skipped", "*sou\r\nA\r\nC:\\a.wav\r\n钟\r\nC:\\g.wav\r\n", "C:\\a.wav>C:\\g.wav|", ""},
        {"directives 5, 10 and 200 ignored", "-r20\r\n-r5\r\n-r10\r\n-i20\r\n-i200\r\n" + fill, pairs(0, 20, false),
         texts(0, 20, false)},
        {"R50", "-R50\r\n" + fill, pairs(0, 50, false), texts(0, 10, false)},
        {"i199 and r11", "-i199\r\n-r11\r\n" + fill, pairs(0, 11, false), texts(0, 199, false)},
        {"late directive", "*tex\r\nTea time\r\n-r50\r\n-i50\r\n" + fill, pairs(0, 10, false), "Tea time|" + texts(0, 9, false)},
        {"entry without a section fixes the capacities", "Bell\r\n-r50\r\n" + fill, pairs(0, 10, false), texts(0, 10, false)},
        {"section before directive before comment", "#-r15\r\n#*sounds\r\n#Gong\r\n" + pairs(0, 20, true),
         pairs(0, 15, false), ""},
        {"separator of hyphens", "----------\r\n*sou\r\nBell\r\n----------\r\nC:\\b.wav\r\n", "Bell>C:\\b.wav|", ""},
        {"250-byte text cut to 199", "*tex\r\n" + std::string(250, 't') + "\r\n", "", std::string(199, 't') + "|"},
        {"section names in any case, marks anywhere",
         "*SOUNDS\r\nBell\r\n*声音\r\n*so\r\nC:\\b.wav\r\n*Text\r\nTea time\r\n*other\r\nTea two\r\nsOu*nd\r\nGong\r\nC:\\g.wav\r\n",
         "Bell>C:\\b.wav|Gong>C:\\g.wav|", "Tea time|Tea two|"},
        {"pending name waits across sections", "*sou\r\nBell\r\n*tex\r\nTea time\r\n*sou\r\nC:\\b.wav\r\n",
         "Bell>C:\\b.wav|", "Tea time|"},
        {"capacity 150 holds 120", "-r150\r\n*sou\r\n" + pairs(0, 120, true), pairs(0, 120, false), ""},
        {"599-byte directive read whole", "-r" + std::string(596, '0') + "15\r\n" + fill, pairs(0, 15, false), texts(0, 10, false)},
        {"600-byte directive cut to r0..01", "-r" + std::string(597, '0') + "15\r\n" + fill, pairs(0, 10, false), texts(0, 10, false)},
        {"100000-byte lines", "*sou\r\n" + std::string(100000, 'n') + "\r\n" + std::string(100000, 'p') + "\r\n*tex\r\n" +
             std::string(100000, 't') + "\r\n",
         std::string(29, 'n') + ">" + std::string(269, 'p') + "|", std::string(199, 't') + "|"},
        {"NUL bytes end the text", "*tex\r\nab\0cdef\r\nTea\0time\r\n\0\0\0\r\n*\0sou\r\nBell\r\n"s, "", "Tea|Bell|"},
        {"only marks", std::string(100000, '*') + "\r\n" + repeat("-#*\r\n", 20000) + std::string(5000, '#'), "", ""},
        {"shipped dWords.txt", shipped, shippedSounds, shippedTexts},
        {"shipped capacities 20", shipped + fill, shippedSounds + pairs(0, 15, false), shippedTexts + texts(0, 15, false)},
    };
    for (const auto& c : cases) {
        words::resetWords();
        bool any = words::parseWords(reinterpret_cast<const unsigned char*>(c.file.data()), c.file.size());
        EXPECT_EQ(renderSounds(), c.sounds) << c.what;
        EXPECT_EQ(renderTexts(), c.texts) << c.what;
        EXPECT_EQ(any, !c.sounds.empty() || !c.texts.empty()) << c.what;
    }
    words::resetWords();
}

TEST(Words, LoadCopiesTheShippedFileWhenMissing) {
    char pattern[] = "/tmp/tivwordsXXXXXX";
    const std::string folder = mkdtemp(pattern) + "/"s;
    const std::string data = folder + "dWords.txt", program = folder + "p/dWords.txt";
    ASSERT_EQ(mkdir((folder + "p").c_str(), 0700), 0);
    std::snprintf(settings::store.dataFolder, sizeof settings::store.dataFolder, "%s", folder.c_str());
    std::snprintf(settings::store.programFolder, sizeof settings::store.programFolder, "%sp/", folder.c_str());
    const char* none = nullptr;
    struct {
        const char* what;
        const char* dataFile;
        const char* programFile;
        bool failCopy;
        const char* texts;
        const char* dataAfter;   // null: still missing
    } cases[] = {
        {"copied and read", none, "*tex\r\nFrom program\r\n", false, "From program|", "*tex\r\nFrom program\r\n"},
        {"copy fails", none, "*tex\r\nFrom program\r\n", true, "", none},
        {"nothing to copy", none, none, false, "", none},
        {"own file kept", "*tex\r\nFrom data\r\n", "*tex\r\nFrom program\r\n", false, "From data|", "*tex\r\nFrom data\r\n"},
    };
    for (const auto& c : cases) {
        std::remove(data.c_str());
        std::remove(program.c_str());
        if (c.dataFile) writeText(data, c.dataFile);
        if (c.programFile) writeText(program, c.programFile);
        fake::resetFiles();
        fake::failCopy = c.failCopy;
        words::resetWords();
        EXPECT_EQ(words::loadWordsFile(), *c.texts != '\0') << c.what;
        EXPECT_EQ(renderTexts(), c.texts) << c.what;
        FILE* after = std::fopen(data.c_str(), "rb");
        EXPECT_EQ(after != nullptr, c.dataAfter != nullptr) << c.what;
        if (after) std::fclose(after);
        if (c.dataAfter) {
            EXPECT_EQ(fileText(data), c.dataAfter) << c.what;
        }
    }
    std::remove(data.c_str());
    std::remove(program.c_str());
    rmdir((folder + "p").c_str());
    rmdir(folder.c_str());
    fake::resetFiles();
    words::resetWords();
}
