#include "macros/line.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "chip/register_map.h"

namespace macros {

namespace {

struct KindInfo {
    int kind;
    const char* word;
    const char* const* names;
    int count;
};

constexpr KindInfo kKinds[] = {
    {kDf, "DF ", chip::kRegisterNames, 48},
    {kSpi, "SPI", chip::kPortNames, 32},
    {kCmd, "CMD", chip::kMiscNames, 16},
};

const KindInfo* kind_info(int kind) {
    for (const KindInfo& k : kKinds)
        if (k.kind == kind) return &k;
    return nullptr;
}

std::string hex(int value, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", width, static_cast<unsigned>(value));
    return buf;
}

// Hexadecimal digits at the front of text, as a 32-bit pattern; false when there are none or
// they pass 32 bits.
bool scan_hex(const std::string& text, int* value) {
    if (text.empty() || !std::isxdigit(static_cast<unsigned char>(text[0]))) return false;
    const unsigned long long v = std::strtoull(text.c_str(), nullptr, 16);
    if (v > 0xFFFFFFFFull) return false;
    *value = static_cast<int>(static_cast<std::uint32_t>(v));
    return true;
}

}  // namespace

const char* entry_name(int kind, int address) {
    const KindInfo* k = kind_info(kind);
    if (k == nullptr || address < 0 || address >= k->count) return kUnknownName;
    return k->names[address];
}

std::string create_macro_line(int kind, int direction, int address, int data) {
    const KindInfo* k = kind_info(kind);
    const char letter = direction == kWrite ? 'W' : 'R';
    std::string line = std::string(k ? k->word : "???") + "   " + letter + "   0x" +
                       hex(address, 2) + "  " + entry_name(kind, address);
    if (direction == kWrite) line += "  0x" + hex(data, 6);
    return line;
}

bool parse_macro_line(const std::string& text, Entry* entry) {
    std::string line;
    for (char ch : text) line += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    std::istringstream in(line);
    std::string kind_word, dir_word;
    if (!(in >> kind_word >> dir_word)) return false;
    Entry e;
    switch (kind_word[0]) {
        case 'd':
            e.kind = kDf;
            break;
        case 's':
            e.kind = kSpi;
            break;
        case 'c':
            e.kind = kCmd;
            break;
        default:
            e.kind = kUnknownKind;
    }
    if (dir_word[0] != 'w' && dir_word[0] != 'r') return false;
    e.direction = dir_word[0] == 'w' ? kWrite : kRead;
    // The name between the two numbers may be blank, so the numbers are found by their "0x".
    const auto first = line.find("0x");
    if (first == std::string::npos || !scan_hex(line.substr(first + 2), &e.address)) return false;
    if (e.direction == kWrite) {
        const auto second = line.find("0x", first + 2);
        if (second == std::string::npos || !scan_hex(line.substr(second + 2), &e.data))
            return false;
    }
    *entry = e;
    return true;
}

}  // namespace macros
