#include "core/number_text.h"

#include <charconv>

namespace core {

namespace {

bool is_hex_digit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

bool parse_number(std::string_view text, long long lo, long long hi, long long* value) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    int base = 10;
    if (hex) {
        // from_chars would take a minus sign after the prefix.
        if (!is_hex_digit(text[2])) return false;
        text.remove_prefix(2);
        base = 16;
    }
    const char* end = text.data() + text.size();
    long long v = 0;
    const auto [stop, ec] = std::from_chars(text.data(), end, v, base);
    if (text.empty() || ec != std::errc() || stop != end || v < lo || v > hi) return false;
    *value = v;
    return true;
}

bool is_simulate_option(std::string_view arg) {
    return arg == kSimulateOption ||
           (arg.starts_with(kSimulateOption) && arg.size() > kSimulateOption.size() &&
            arg[kSimulateOption.size()] == '=');
}

std::optional<int> simulated_board_code(std::string_view arg) {
    if (arg == kSimulateOption) return kDefaultSimulatedBoard;
    if (!is_simulate_option(arg)) return std::nullopt;
    long long code = 0;
    if (!parse_number(arg.substr(kSimulateOption.size() + 1), 0, kMaxBoardCode, &code))
        return std::nullopt;
    return static_cast<int>(code);
}

}  // namespace core
