// The loop every reader shares: item lines are scanned into the result one by one, never
// beyond its capacity. Internal to the readers.
#pragma once

#include <cstddef>
#include <filesystem>
#include <istream>
#include <string_view>

#include "chip/files/item_lines.h"
#include "chip/files/read_error.h"
#include "core/input_file.h"

namespace chip::detail {

enum class AtCapacity {
    Stop,    // stop reading: later lines are not looked at
    Report,  // a further item line is reported as TooManyItems
};

// Result needs count, error and error_line; store(text, index) scans one item line into
// slot index and returns false if the line does not scan (leaving the slot as it was).
template <typename Result, typename Store>
void read_items(std::istream& in, std::size_t capacity, AtCapacity at_capacity, Result& result,
                Store store) {
    ItemLineReader lines(in);
    while (!(result.count == capacity && at_capacity == AtCapacity::Stop)) {
        if (!lines.next()) {
            if (lines.read_failed()) {
                result.error = ReadError::CannotRead;
                result.error_line = lines.line();
            }
            return;
        }
        if (result.count == capacity || !store(lines.text(), result.count)) {
            result.error = result.count == capacity ? ReadError::TooManyItems : ReadError::BadItem;
            result.error_line = lines.line();
            return;
        }
        ++result.count;
    }
}

// The largest file of `capacity` item lines: every line at its longest, and room for as many
// comment lines again and a few thousand more.
constexpr std::uintmax_t max_file_bytes(std::size_t capacity) {
    return (2 * capacity + 4096) * (kMaxLineChars + 2);
}

// Opens path and hands the stream to read; a file that cannot be opened gives CannotOpen, a
// folder, another file that is not a regular one or one larger than max_bytes Folder, NotAFile
// or TooLarge.
template <typename Result, typename Read>
Result read_path(const std::filesystem::path& path, std::uintmax_t max_bytes, Read read) {
    core::InputFile file(path, max_bytes);
    if (!file.ok()) {
        Result result;
        switch (file.refusal()) {
            case core::Refusal::Folder:
                result.error = ReadError::Folder;
                break;
            case core::Refusal::NotAFile:
                result.error = ReadError::NotAFile;
                break;
            case core::Refusal::TooLarge:
                result.error = ReadError::TooLarge;
                break;
            default:
                result.error = ReadError::CannotOpen;
        }
        return result;
    }
    return read(file.stream());
}

}  // namespace chip::detail
