// The loop every reader shares: item lines are scanned into the result one by one, never
// beyond its capacity. Internal to the readers.
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <istream>
#include <string_view>

#include "chip/files/item_lines.h"
#include "chip/files/read_error.h"

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

// Opens path and hands the stream to read; a file that cannot be opened gives CannotOpen.
template <typename Result, typename Read>
Result read_path(const std::filesystem::path& path, Read read) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        Result result;
        result.error = ReadError::CannotOpen;
        return result;
    }
    return read(in);
}

}  // namespace chip::detail
