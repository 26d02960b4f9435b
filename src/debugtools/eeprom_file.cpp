#include "debugtools/eeprom_file.h"

#include <cctype>
#include <cstdio>

#include "core/input_file.h"

namespace debugtools {

namespace {

bool blank(const std::string& line) {
    for (unsigned char c : line)
        if (!std::isspace(c)) return false;
    return true;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

core::Status bad_file(const std::string& path, const std::string& why) {
    return core::Status::failed(core::Fault::BadInput, "EEPROM data file", "EEPROM Error",
                                path + ": " + why);
}

}  // namespace

std::optional<std::uint32_t> scan_hex(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    const bool prefix = i + 2 < text.size() && text[i] == '0' && (text[i + 1] | 0x20) == 'x' &&
                        hex_digit(text[i + 2]) >= 0;
    if (prefix) i += 2;
    std::uint64_t v = 0;
    std::size_t digits = 0;
    for (; i < text.size() && hex_digit(text[i]) >= 0; ++i, ++digits) {
        v = v * 16 + static_cast<std::uint64_t>(hex_digit(text[i]));
        if (v > 0xFFFFFFFFu) return std::nullopt;
    }
    if (digits == 0) return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

core::Status read_data_file(const std::string& path, std::vector<DataLine>* lines) {
    core::InputFile file(path, kMaxEepromFileBytes);
    if (!file.ok()) return bad_file(path, "the file cannot be opened: " + file.reason());
    std::istream& in = file.stream();
    // Filled aside, so a refused file leaves the caller's lines as they were.
    std::vector<DataLine> read;
    int number = 0, bytes = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#' || blank(line)) {
            read.push_back({number, std::nullopt});
            continue;
        }
        const auto v = scan_hex(line);
        if (!v)
            return bad_file(path, "line " + std::to_string(number) + " holds no hexadecimal byte");
        // Written on, it would wrap round and overwrite the first addresses.
        if (++bytes > kEepromBytes)
            return bad_file(path, "line " + std::to_string(number) + " holds byte " +
                                      std::to_string(bytes) + ", past the EEPROM's last address (" +
                                      std::to_string(kEepromBytes) + " bytes, 0000 to FFFF)");
        read.push_back({number, *v});
    }
    if (in.bad()) return bad_file(path, "the file cannot be read");
    *lines = std::move(read);
    return core::Status::success();
}

core::Status check_bytes(const std::string& path, const std::vector<DataLine>& lines) {
    // Only the low byte would be written, and it would never read back as the value.
    for (const DataLine& l : lines) {
        if (l.value && *l.value > 0xFF) {
            char value[16];
            std::snprintf(value, sizeof value, "%X", *l.value);
            return bad_file(path, "line " + std::to_string(l.number) + " holds " + value +
                                      ", more than one byte (FF)");
        }
    }
    return core::Status::success();
}

std::string dump_text(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    char buf[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02x\n", b);
        text += buf;
    }
    return text;
}

}  // namespace debugtools
