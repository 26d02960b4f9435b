// The EEPROM's text files: the data file (one hexadecimal byte per line, '#' comments and
// empty lines taking no address) and the dump file (two hexadecimal digits per line).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/status.h"

namespace debugtools {

// One line of a data file: a value for the next address, or none for a comment or empty line.
struct DataLine {
    int number;  // 1-based line number in the file
    std::optional<std::uint32_t> value;
};

// The board's EEPROM: addresses 0000 to FFFF.
inline constexpr int kEepromBytes = 65536;
// A larger data file is refused unread: every byte on a line of its own, and as many comment
// lines again.
inline constexpr std::uintmax_t kMaxEepromFileBytes = std::uintmax_t{2} * kEepromBytes * 258;

// Every line of the file, checked whole: a data line that does not scan as a hexadecimal
// number, or one past the EEPROM's last address, is refused by its line number ("EEPROM Error"
// / "<path>: line N ..."), as is a file that is not a regular one or larger than such a file
// can be, before anything is sent; *lines is left as it was then. Values above 0xFF are kept: they
// are no byte the EEPROM can hold, which programming refuses and verifying reports.
core::Status read_data_file(const std::string& path, std::vector<DataLine>* lines);
// The first data line holding more than one byte, refused as read_data_file refuses a line.
core::Status check_bytes(const std::string& path, const std::vector<DataLine>& lines);

// A hexadecimal number as a "%x" scan takes it: white space, an optional 0x, then digits up
// to the first other character. None when no digit follows or the value passes 0xFFFFFFFF.
std::optional<std::uint32_t> scan_hex(const std::string& text);

// The dump file's text: one "%02x" line per byte.
std::string dump_text(std::span<const std::uint8_t> bytes);

}  // namespace debugtools
