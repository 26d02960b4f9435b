#include "cli/command.h"

#include <cstdio>

namespace cli {

std::map<std::string, CommandInfo>& commands() {
    static std::map<std::string, CommandInfo> m;
    return m;
}

bool parse_number(const std::string& text, long long lo, long long hi, long long* value) {
    if (text.empty()) return false;
    size_t used = 0;
    long long v = 0;
    try {
        const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        v = std::stoll(hex ? text.substr(2) : text, &used, hex ? 16 : 10);
        if (hex) used += 2;
    } catch (...) {
        return false;
    }
    if (used != text.size() || v < lo || v > hi) return false;
    *value = v;
    return true;
}

std::string hex_word(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06X", static_cast<unsigned>(value) & 0xFFFFFFu);
    return buf;
}

}  // namespace cli
