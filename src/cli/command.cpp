#include "cli/command.h"

#include <cctype>
#include <cstdio>

namespace cli {

std::map<std::string, CommandInfo>& commands() {
    static std::map<std::string, CommandInfo> m;
    return m;
}

bool parse_number(const std::string& text, long long lo, long long hi, long long* value) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    // Only digits after the prefix (a minus sign for decimal): the library's conversion would
    // also take spaces and signs, so "0x+5" would pass for 5.
    const std::size_t first = !hex && !digits.empty() && digits[0] == '-' ? 1 : 0;
    if (digits.size() == first) return false;
    for (std::size_t i = first; i < digits.size(); ++i)
        if (!(hex ? std::isxdigit(static_cast<unsigned char>(digits[i]))
                  : std::isdigit(static_cast<unsigned char>(digits[i]))))
            return false;
    long long v = 0;
    try {
        v = std::stoll(digits, nullptr, hex ? 16 : 10);
    } catch (...) {
        return false;  // out of range
    }
    if (v < lo || v > hi) return false;
    *value = v;
    return true;
}

std::string hex_word(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06X", static_cast<unsigned>(value) & 0xFFFFFFu);
    return buf;
}

}  // namespace cli
