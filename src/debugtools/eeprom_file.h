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

// Every line of the file, checked whole: a data line that does not scan as a hexadecimal
// number is refused by its line number ("EEPROM Error" / "<path>: line N ..."), before anything
// is sent; *lines is left as it was then. Values above 0xFF are kept: they are no byte the
// EEPROM can hold, which programming refuses and verifying reports.
core::Status read_data_file(const std::string& path, std::vector<DataLine>* lines);
// The first data line holding more than one byte, refused as read_data_file refuses a line.
core::Status check_bytes(const std::string& path, const std::vector<DataLine>& lines);

// A hexadecimal number as a "%x" scan takes it: white space, an optional 0x, then digits up
// to the first other character. None when no digit follows or the value passes 0xFFFFFFFF.
std::optional<std::uint32_t> scan_hex(const std::string& text);

// The dump file's text: one "%02x" line per byte.
std::string dump_text(std::span<const std::uint8_t> bytes);

}  // namespace debugtools
