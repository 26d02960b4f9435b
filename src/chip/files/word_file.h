// Word files: FIR coefficients, IIR coefficients or TBS data that seisbench sends to the
// filter chip as they are, one hexadecimal chip word per item line (no scaling, no range
// check; the chip takes the low 24 bits). The reader only reads: it shows no message and
// sends nothing, the loaders decide what to tell the user.
//
// Line rules: see item_lines.h. An item line must start with a hexadecimal number (optional
// 0x); text after it, separated by white space, is ignored.
//
// Outcomes (WordFile::error):
// - None: words[0..count) hold the file's words in order.
// - CannotOpen / CannotRead: the file could not be opened or read.
// - Folder / NotAFile / TooLarge: refused before reading (see core/input_file.h).
// - BadItem: the item line error_line does not hold a hexadecimal number; words[0..count)
//   hold the items before it. A loader should send nothing.
// - TooManyItems: the file holds more words than the stage takes (1024 FIR or IIR, 2048
//   TBS); words[0..count) hold the first `capacity` words and error_line is the first
//   surplus item. A loader should send nothing.
// Words beyond count are zero, so the partner of the last word of an odd count is 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <istream>

#include "chip/files/read_error.h"
#include "core/system_types.h"

namespace chip {

enum class WordFileKind { Fir, Iir, Tbs };

std::size_t word_capacity(WordFileKind kind);

struct WordFile {
    std::array<std::uint32_t, core::kTbsWordCapacity> words{};
    std::size_t count = 0;
    ReadError error = ReadError::None;
    int error_line = 0;  // 1-based; 0 when there is no error or the error has no line

    // Number of two-word chip commands that carry the words.
    std::size_t pair_count() const { return (count + 1) / 2; }
};

WordFile read_word_file(const std::filesystem::path& path, WordFileKind kind);
WordFile read_word_stream(std::istream& in, WordFileKind kind);

}  // namespace chip
