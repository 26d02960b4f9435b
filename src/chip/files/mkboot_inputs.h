// The input files of mkboot: the register file and the floating-point FIR, IIR and TBS
// files. Line rules: see item_lines.h. The readers show nothing; mkboot words the messages.
//
// Register file: each item line holds two hexadecimal numbers separated by white space, the
// register address and its value ("20 000431"); at most 64 pairs. A 65th pair is reported
// (TooManyItems at its line) rather than dropped, because a boot image missing a register
// write would configure the chip wrongly without a word.
//
// Value files: each item line holds one decimal number. Reading stops when the file's limit
// is reached; later lines are not read. The limits are one more than the counts the stages
// take (FIR 256, IIR1 4 of which 3 are used, IIR2 6 of which 5 are used, TBS 1025).
//
// In both, text after the number(s), separated by white space, is ignored, and an item line
// that does not scan ends the reading with BadItem at that line: no item is ever left
// without a value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <istream>

#include "chip/files/read_error.h"

namespace chip {

inline constexpr std::size_t kRegisterCapacity = 64;

struct RegisterPair {
    std::uint32_t address = 0;  // as written; the image uses the low 8 bits
    std::uint32_t value = 0;    // as written; the image uses the low 24 bits
};

struct RegisterFile {
    std::array<RegisterPair, kRegisterCapacity> pairs{};
    std::size_t count = 0;
    ReadError error = ReadError::None;
    int error_line = 0;
};

RegisterFile read_register_file(const std::filesystem::path& path);
RegisterFile read_register_stream(std::istream& in);

inline constexpr std::size_t kFirValueLimit = 256;
inline constexpr std::size_t kIir1ValueLimit = 4;
inline constexpr std::size_t kIir2ValueLimit = 6;
inline constexpr std::size_t kTbsValueLimit = 1025;
inline constexpr std::size_t kIir1ValuesUsed = 3;
inline constexpr std::size_t kIir2ValuesUsed = 5;

struct ValueFile {
    std::array<double, kTbsValueLimit> values{};
    std::size_t count = 0;
    ReadError error = ReadError::None;
    int error_line = 0;
};

// Reads at most limit values (and never more than kTbsValueLimit).
ValueFile read_value_file(const std::filesystem::path& path, std::size_t limit);
ValueFile read_value_stream(std::istream& in, std::size_t limit);

}  // namespace chip
