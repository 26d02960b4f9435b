#include "chip/files/number_scan.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace chip {

namespace {

bool is_space(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

void skip_space(std::string_view& text) {
    while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
}

bool ends_token(std::string_view rest) {
    return rest.empty() || is_space(rest.front());
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool scan_hex(std::string_view& text, std::uint32_t& value) {
    std::string_view rest = text;
    skip_space(rest);
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    if (rest.size() > 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X') &&
        hex_digit(rest[2]) >= 0) {
        rest.remove_prefix(2);
    }
    std::uint32_t v = 0;
    std::size_t digits = 0;
    std::size_t significant = 0;  // digits from the first non-zero one on
    for (; digits < rest.size() && hex_digit(rest[digits]) >= 0; ++digits) {
        if (significant > 0 || rest[digits] != '0') ++significant;
        v = (v << 4) | static_cast<std::uint32_t>(hex_digit(rest[digits]));
    }
    rest.remove_prefix(digits);
    // A number too wide for 32 bits would load as some other word.
    if (digits == 0 || significant > 8 || !ends_token(rest)) return false;
    value = negative ? 0u - v : v;
    text = rest;
    return true;
}

bool scan_decimal(std::string_view& text, double& value) {
    std::string_view rest = text;
    skip_space(rest);
    // from_chars takes a leading minus but no plus.
    if (rest.size() > 1 && rest.front() == '+' && rest[1] != '-') rest.remove_prefix(1);
    double v = 0.0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), v);
    if (ec != std::errc{} || !std::isfinite(v)) return false;
    rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
    if (!ends_token(rest)) return false;
    value = v;
    text = rest;
    return true;
}

}  // namespace chip
