// The MCU firmware file: white-space separated hexadecimal numbers, 69 to a record (byte
// count, address high, address low, kind, 64 data bytes, check byte). The record at 0x2E00
// ends the image. A file is checked whole before any of it goes to a board, so a board is
// never put into update mode for an image that cannot be completed. Standard library only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace boardlink::firmware {

inline constexpr std::size_t kRecordNumbers = 69;
inline constexpr std::size_t kDataBytes = 64;
// The end record's address, and the end of the flash an image may fill.
inline constexpr std::uint16_t kImageEnd = 0x2E00;
inline constexpr std::uint16_t kPageBytes = 512;
// A larger file is refused unread: a record for every 64 bytes of the flash, written several
// times over with wide spacing.
inline constexpr std::size_t kMaxFileBytes = 1 << 20;

using Data = std::array<std::uint8_t, kDataBytes>;

struct Record {
    std::uint16_t address = 0;
    Data data{};
    int line = 0;  // line of the record's first number
};

// The data records before the end record, in file order.
struct Image {
    std::vector<Record> records;
};

// The first record that cannot be used.
struct FileFault {
    int record = 0;  // 1-based
    int line = 0;
    std::string reason;
};

struct CheckResult {
    Image image;
    std::optional<FileFault> fault;  // set: the image must not be sent
};

// Reads records up to and including the end record; nothing after it is read. Every number
// must be hexadecimal (an optional 0x prefix; its low 8 bits are used), every record whole
// and every data record's 64 bytes must lie below the end address.
CheckResult check_firmware(std::istream& in);

// A record at a page's first address erases that page before it is programmed.
constexpr bool begins_page(std::uint16_t address) {
    return (address & (kPageBytes - 1)) == 0;
}

}  // namespace boardlink::firmware
