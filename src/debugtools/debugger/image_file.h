// Program and data memory images (".pmg", ".dmg"): a stream of records, each one ignored
// character, then an address and a 24-bit word in hexadecimal with white space before each.
// The stream ends at the first record that is not complete; the file is read whole before a
// word is sent, and a record that starts but does not parse is refused with its line.
#pragma once

#include <string>
#include <vector>

#include "core/status.h"

namespace debugger {

struct ImageRecord {
    int address;
    int word;
};

// Records beyond this many are refused: an image never needs more than a rewrite of each
// word of both memories.
inline constexpr std::size_t kMaxImageRecords = 0x8000;
// A larger file is refused unread: every record on a line of 64 characters.
inline constexpr std::size_t kMaxImageBytes = kMaxImageRecords * 64;

// Fault::BadInput with the message "Image File Error" / "<file>: line N ..." when the file
// cannot be read (a folder, a device, larger than kMaxImageBytes), holds no record, or a record
// that does not parse, an address above 0x3FFF or a word wider than 24 bits; *records is left as it
// was then.
core::Status read_image(const std::string& path, std::vector<ImageRecord>* records);
// The same on text already in memory; name is the file name shown.
core::Status parse_image(const std::string& text, const std::string& name,
                         std::vector<ImageRecord>* records);

}  // namespace debugger
