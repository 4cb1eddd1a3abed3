#include "save_loop.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/text.h"
#include "settings/extras.h"
#include "settings/record.h"
#include "settings/store.h"

namespace saveloop {

std::vector<unsigned char> image(uint32_t k) {
    std::vector<unsigned char> bytes(settings::kFileSize);
    std::memcpy(bytes.data(), "TIVY1400", settings::kHeaderSize);
    for (uint32_t i = 0; i < settings::kRecordSize; ++i)
        bytes[settings::kHeaderSize + i] = static_cast<unsigned char>(i * 31 + k);
    std::memcpy(&bytes[settings::kHeaderSize], &k, sizeof k);
    return bytes;
}

static settings::Extras extrasFor(uint32_t k) {
    settings::Extras values{};
    values.hotkeys[settings::kHotkeyStartStop] = {settings::kModCtrl, 0x70 + k % 24};   // F1..F24
    values.hotkeys[settings::kHotkeyShowHide] = {settings::kModAlt, 'A' + k / 24 % 26};
    for (uint32_t s = 0; s < 4; ++s) values.overtime[s] = (k >> s) & 1;
    return values;
}

std::vector<unsigned char> extrasImage(uint32_t k) {
    char text[1024];
    size_t n = settings::formatExtras(extrasFor(k), text, sizeof text);
    return std::vector<unsigned char>(text, text + n);
}

// The loop over dTiv.ini: its image is found among the first `last`.
static int runExtras(uint32_t last, Progress* progress) {
    settings::loadExtras();
    uint32_t k = 0;
    while (k <= last && !(extrasFor(k) == settings::extras)) ++k;
    if (k > last) return 4;
    while (k < last) {
        ++k;
        settings::extras = extrasFor(k);
        if (progress) InterlockedExchange(&progress->attempting, static_cast<LONG>(k));
        if (!settings::saveExtrasIfChanged()) return 5;
        if (progress) InterlockedExchange(&progress->done, static_cast<LONG>(k));
    }
    return 0;
}

int run(int argc, char** argv) {
    if (argc < 4) return 2;
    std::string folder = argv[2];
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    uint32_t last = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
    Progress* progress = nullptr;
    if (argc > 4) {
        HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, argv[4]);
        if (mapping) progress = static_cast<Progress*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof *progress));
        if (!progress) return 2;
    }
    text::copyBounded(settings::store.dataFolder, folder.c_str(), sizeof settings::store.dataFolder);
    if (argc > 5 && std::strcmp(argv[5], kExtras) == 0) return runExtras(last, progress);
    // The loop saves over a file that is there.
    if (settings::load() == settings::LoadAction::FirstRun) return 3;
    uint32_t k;
    std::memcpy(&k, &settings::record, sizeof k);
    if (std::memcmp(&settings::record, image(k).data() + settings::kHeaderSize, settings::kRecordSize) != 0) return 4;
    while (k < last) {
        ++k;
        std::memcpy(&settings::record, image(k).data() + settings::kHeaderSize, settings::kRecordSize);
        if (progress) InterlockedExchange(&progress->attempting, static_cast<LONG>(k));
        if (!settings::save()) return 5;
        if (progress) InterlockedExchange(&progress->done, static_cast<LONG>(k));
    }
    return 0;
}

}  // namespace saveloop
