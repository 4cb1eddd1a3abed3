// Reads a linked Tiv.exe without running it, so hosts that run no 32-bit code still check the
// program we ship: it imports at start-up only the DLLs every Windows has mapped anyway, and
// every function of a DLL it loads on first use (cmake/delayed/*.def) starts out at a thunk
// that loads it. A slot linked as 0 is a jump to address 0 at the first call. The i686 exe
// stays within 128 KB, and neither links the thread runtime.
//
//   tiv_pe_check EXE i386|amd64 DEF_FOLDER
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr size_t kBudget = 131072;
const char* const kStartupDlls[] = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll"};

struct Section {
    std::string name;
    uint32_t rva, size, fileOffset, fileSize;
    bool code;
};

struct Image {
    std::vector<unsigned char> bytes;
    uint16_t machine = 0;
    bool wide = false;  // PE32+
    uint64_t base = 0;
    uint32_t importRva = 0;
    std::vector<Section> sections;
};

int failures = 0;

void fail(const std::string& what) {
    std::printf("FAIL: %s\n", what.c_str());
    ++failures;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string hexOf(uint64_t v) {
    char b[24];
    std::snprintf(b, sizeof b, "0x%llx", static_cast<unsigned long long>(v));
    return b;
}

uint64_t readLe(const std::vector<unsigned char>& b, size_t at, int n) {
    if (at + n > b.size()) return 0;
    uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | b[at + i];
    return v;
}

// File offset of `size` bytes at `rva`, or 0 when no section holds them all.
size_t offsetOf(const Image& img, uint64_t rva, uint32_t size = 1) {
    for (const Section& s : img.sections)
        if (rva >= s.rva && rva + size <= uint64_t(s.rva) + std::min(s.size, s.fileSize))
            return s.fileOffset + (rva - s.rva);
    return 0;
}

bool inCode(const Image& img, uint64_t rva) {
    for (const Section& s : img.sections)
        if (s.code && rva >= s.rva && rva < uint64_t(s.rva) + s.size) return true;
    return false;
}

uint64_t at(const Image& img, uint64_t rva, int n) {
    size_t off = offsetOf(img, rva, n);
    return off ? readLe(img.bytes, off, n) : 0;
}

std::string stringAt(const Image& img, uint64_t rva) {
    size_t off = offsetOf(img, rva);
    std::string s;
    while (off && off < img.bytes.size() && img.bytes[off] && s.size() < 256) s += char(img.bytes[off++]);
    return s;
}

bool load(const char* path, Image& img) {
    std::ifstream in(path, std::ios::binary);
    img.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const auto& b = img.bytes;
    if (b.size() < 0x40 || b[0] != 'M' || b[1] != 'Z') return false;
    size_t pe = readLe(b, 0x3c, 4);
    if (readLe(b, pe, 4) != 0x4550) return false;
    img.machine = uint16_t(readLe(b, pe + 4, 2));
    size_t sectionCount = readLe(b, pe + 6, 2), optionalSize = readLe(b, pe + 20, 2), opt = pe + 24;
    uint16_t magic = uint16_t(readLe(b, opt, 2));
    if (magic != 0x10b && magic != 0x20b) return false;
    img.wide = magic == 0x20b;
    img.base = img.wide ? readLe(b, opt + 24, 8) : readLe(b, opt + 28, 4);
    size_t directories = opt + (img.wide ? 112 : 96);
    img.importRva = uint32_t(readLe(b, directories + 8, 4));
    for (size_t i = 0, s = opt + optionalSize; i < sectionCount; ++i, s += 40) {
        if (s + 40 > b.size()) return false;
        Section sec;
        sec.name.assign(reinterpret_cast<const char*>(&b[s]), strnlen(reinterpret_cast<const char*>(&b[s]), 8));
        sec.size = uint32_t(readLe(b, s + 8, 4));
        sec.rva = uint32_t(readLe(b, s + 12, 4));
        sec.fileSize = uint32_t(readLe(b, s + 16, 4));
        sec.fileOffset = uint32_t(readLe(b, s + 20, 4));
        sec.code = readLe(b, s + 36, 4) & 0x20000000;  // IMAGE_SCN_MEM_EXECUTE
        img.sections.push_back(sec);
    }
    return true;
}

// One DLL of cmake/delayed: its name and the functions Tiv calls in it, undecorated.
struct Delayed {
    std::string dll;
    std::vector<std::string> functions;
};

std::vector<Delayed> readDefs(const std::string& folder) {
    std::vector<Delayed> all;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return all;
    std::vector<std::string> files;
    while (dirent* e = readdir(dir)) {
        std::string n = e->d_name;
        if (n.size() > 4 && n.compare(n.size() - 4, 4, ".def") == 0) files.push_back(folder + "/" + n);
    }
    closedir(dir);
    std::sort(files.begin(), files.end());
    for (const std::string& f : files) {
        std::ifstream in(f);
        Delayed d;
        std::string word;
        while (in >> word) {
            if (word == "LIBRARY") in >> d.dll;
            else if (word != "EXPORTS") d.functions.push_back(word.substr(0, word.find('@')));
        }
        all.push_back(d);
    }
    return all;
}

// Names the import directory maps at start-up, each with the functions taken from it.
std::map<std::string, std::vector<std::string>> startupImports(const Image& img) {
    std::map<std::string, std::vector<std::string>> found;
    int ptr = img.wide ? 8 : 4;
    for (uint64_t d = img.importRva; img.importRva && at(img, d + 12, 4); d += 20) {
        std::vector<std::string>& names = found[lower(stringAt(img, at(img, d + 12, 4)))];
        uint64_t lookup = at(img, d, 4) ? at(img, d, 4) : at(img, d + 16, 4);
        for (uint64_t e; (e = at(img, lookup, ptr)) != 0; lookup += ptr)
            if (!(e >> (ptr * 8 - 1))) names.push_back(stringAt(img, (e & 0x7fffffff) + 2));
    }
    return found;
}

// The delay-import descriptor naming `dll`: ld leaves the directory entry for it empty, so it
// is found by its shape (attributes 1, RVAs) and its name.
std::vector<uint64_t> findDescriptors(const Image& img, const std::string& dll) {
    std::vector<uint64_t> found;
    for (const Section& s : img.sections)
        for (uint64_t rva = s.rva; rva + 32 <= uint64_t(s.rva) + std::min(s.size, s.fileSize); rva += 4) {
            if (at(img, rva, 4) != 1) continue;
            uint64_t name = at(img, rva + 4, 4), iat = at(img, rva + 12, 4), names = at(img, rva + 16, 4);
            if (!offsetOf(img, name) || !offsetOf(img, iat) || !offsetOf(img, names)) continue;
            if (lower(stringAt(img, name)) == lower(dll)) found.push_back(rva);
        }
    return found;
}

int32_t rel32(const Image& img, uint64_t rva) { return int32_t(uint32_t(at(img, rva, 4))); }

// Where the lazy thunk at `thunk` (an RVA) jumps, after checking that it names its own slot;
// 0 when it is not a thunk.
uint64_t thunkTarget(const Image& img, uint64_t thunk, uint64_t slotRva) {
    if (img.machine == 0x14c) {  // mov eax, slot; jmp tail
        if (at(img, thunk, 1) != 0xb8 || at(img, thunk + 5, 1) != 0xe9) return 0;
        if (at(img, thunk + 1, 4) != img.base + slotRva) return 0;
        return thunk + 10 + rel32(img, thunk + 6);
    }
    // lea rax, [rip + slot]; jmp tail
    if (at(img, thunk, 3) != 0x058d48 || at(img, thunk + 7, 1) != 0xe9) return 0;
    if (thunk + 7 + rel32(img, thunk + 3) != slotRva) return 0;
    return thunk + 12 + rel32(img, thunk + 8);
}

// The loader routine that the shared tail of one DLL calls with that DLL's descriptor; 0 when
// the tail does not load this descriptor.
uint64_t tailHelper(const Image& img, uint64_t tail, uint64_t descriptor) {
    if (img.machine == 0x14c) {  // push ecx; push edx; push eax; push descriptor; call helper
        if (at(img, tail, 4) != 0x68505251 || at(img, tail + 4, 4) != img.base + descriptor ||
            at(img, tail + 8, 1) != 0xe8)
            return 0;
        return tail + 13 + rel32(img, tail + 9);
    }
    // The x86-64 tail saves the argument registers first: find lea rcx, [rip + descriptor].
    for (uint64_t p = tail; p < tail + 64; ++p)
        if (at(img, p, 3) == 0x0d8d48 && p + 7 + rel32(img, p + 3) == descriptor && at(img, p + 7, 1) == 0xe8)
            return p + 12 + rel32(img, p + 8);
    return 0;
}

// Every slot of one delay-loaded DLL; returns the names it holds.
std::vector<std::string> checkDescriptor(const Image& img, uint64_t descriptor, const std::string& dll,
                                         uint64_t& helper) {
    std::vector<std::string> names;
    int ptr = img.wide ? 8 : 4;
    uint64_t slot = at(img, descriptor + 12, 4), entry = at(img, descriptor + 16, 4);
    for (uint64_t e; (e = at(img, entry, ptr)) != 0; entry += ptr, slot += ptr) {
        std::string name = (e >> (ptr * 8 - 1)) ? "#ordinal" : stringAt(img, (e & 0x7fffffff) + 2);
        names.push_back(name);
        std::string where = dll + "!" + name + " (slot " + hexOf(img.base + slot) + ")";
        uint64_t start = at(img, slot, ptr);
        if (start == 0) { fail(where + " holds 0: its first call jumps to address 0"); continue; }
        uint64_t thunk = start - img.base;
        if (!inCode(img, thunk)) { fail(where + " holds " + hexOf(start) + ", outside the code"); continue; }
        uint64_t tail = thunkTarget(img, thunk, slot);
        if (!tail) { fail(where + " starts at " + hexOf(start) + ", which is no thunk of that slot"); continue; }
        uint64_t h = tailHelper(img, tail, descriptor);
        if (!h || !inCode(img, h)) { fail(where + ": its thunk does not call the loader with " + dll); continue; }
        if (helper && h != helper) fail(where + ": its thunk calls another loader than the other DLLs");
        helper = h;
    }
    return names;
}

// What a function-local static with a dynamic initialiser brings in through
// __cxa_guard_acquire: the posix thread runtime, the unwinder and the printf
// engine. Read from the symbol table of EXE.debug, which the strip kept.
const char* const kUnwanted[] = {"__cxa_guard_acquire", "pthread_", "_Unwind_", "__mingw_pformat"};

// Names of the COFF symbol table of a PE file (leading '_' of i386 removed).
std::vector<std::string> symbolsOf(const std::vector<unsigned char>& b, bool i386) {
    std::vector<std::string> names;
    size_t pe = readLe(b, 0x3c, 4);
    size_t table = readLe(b, pe + 12, 4), count = readLe(b, pe + 16, 4);
    size_t strings = table + count * 18;
    if (!table || strings > b.size()) return names;
    for (size_t i = 0; i < count; i += 1 + b[table + i * 18 + 17]) {
        size_t at = table + i * 18;
        std::string name;
        if (readLe(b, at, 4) == 0) {
            for (size_t o = strings + readLe(b, at + 4, 4); o < b.size() && b[o]; ++o) name += char(b[o]);
        } else {
            name.assign(reinterpret_cast<const char*>(&b[at]), strnlen(reinterpret_cast<const char*>(&b[at]), 8));
        }
        if (i386 && !name.empty() && name[0] == '_') name.erase(0, 1);
        names.push_back(name);
    }
    return names;
}

void checkRuntime(const std::string& exe, bool i386) {
    Image debug;
    if (!load((exe + ".debug").c_str(), debug)) {
        fail(exe + ".debug is missing: cannot tell what runtime is linked");
        return;
    }
    std::vector<std::string> names = symbolsOf(debug.bytes, i386);
    if (names.size() < 100) {
        fail(exe + ".debug has no symbol table");
        return;
    }
    for (const char* unwanted : kUnwanted) {
        size_t n = std::count_if(names.begin(), names.end(),
                                 [&](const std::string& s) { return s.rfind(unwanted, 0) == 0; });
        if (n)
            fail("links " + std::to_string(n) + " symbols named " + unwanted +
                 "*: a guarded static brought in the thread runtime (nm -C " + exe + ".debug)");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || (std::strcmp(argv[2], "i386") != 0 && std::strcmp(argv[2], "amd64") != 0)) {
        std::fprintf(stderr, "usage: %s EXE i386|amd64 DEF_FOLDER\n", argv[0]);
        return 2;
    }
    Image img;
    if (!load(argv[1], img)) {
        std::printf("FAIL: %s is missing or no PE image\n", argv[1]);
        return 1;
    }
    uint16_t machine = std::strcmp(argv[2], "i386") == 0 ? 0x14c : 0x8664;
    if (img.machine != machine || img.wide != (machine == 0x8664)) {
        std::printf("FAIL: %s is machine %s, not %s\n", argv[1], hexOf(img.machine).c_str(), argv[2]);
        return 1;
    }
    // The shipped exe's budget; the twin is measured, not held to it.
    if (machine == 0x14c && img.bytes.size() > kBudget)
        fail(std::string(argv[1]) + " is " + std::to_string(img.bytes.size()) + " bytes, over its budget of " +
             std::to_string(kBudget));
    checkRuntime(argv[1], machine == 0x14c);
    std::vector<Delayed> delayed = readDefs(argv[3]);
    if (delayed.empty()) fail(std::string("no .def files in ") + argv[3]);

    auto imports = startupImports(img);
    if (imports.empty()) fail("no import directory: not understood");
    std::string importLine;
    for (const auto& [dll, functions] : imports) {
        importLine += " " + dll;
        if (std::find(std::begin(kStartupDlls), std::end(kStartupDlls), dll) == std::end(kStartupDlls))
            fail("imports " + dll + " at start-up");
        for (const Delayed& d : delayed)
            for (const std::string& f : d.functions)
                if (std::find(functions.begin(), functions.end(), f) != functions.end())
                    fail(f + " is imported at start-up from " + dll + ", not on first use");
    }
    std::printf("%s (%s) imports at start-up:%s\n", argv[1], argv[2], importLine.c_str());

    uint64_t helper = 0;
    for (const Delayed& d : delayed) {
        std::vector<uint64_t> descriptors = findDescriptors(img, d.dll);
        if (descriptors.size() != 1) {
            fail(d.dll + ": " + std::to_string(descriptors.size()) + " delay-import descriptors, not 1");
            continue;
        }
        std::vector<std::string> names = checkDescriptor(img, descriptors[0], d.dll, helper);
        for (const std::string& f : d.functions)
            if (std::find(names.begin(), names.end(), f) == names.end()) fail(d.dll + "!" + f + " is not linked");
        std::printf("  on first use: %s, %zu functions\n", d.dll.c_str(), names.size());
    }
    if (failures) {
        std::printf("%d faults\n", failures);
        return 1;
    }
    std::printf("every delay-loaded function starts at a thunk that loads its DLL\n");
    return 0;
}
