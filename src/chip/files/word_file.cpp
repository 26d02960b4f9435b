#include "chip/files/word_file.h"

#include "chip/files/number_scan.h"
#include "chip/files/read_items.h"

namespace chip {

std::size_t word_capacity(WordFileKind kind) {
    switch (kind) {
        case WordFileKind::Fir:
            return core::kFirWordCapacity;
        case WordFileKind::Iir:
            return core::kIirWordCapacity;
        case WordFileKind::Tbs:
            return core::kTbsWordCapacity;
    }
    return 0;
}

WordFile read_word_stream(std::istream& in, WordFileKind kind) {
    WordFile result;
    detail::read_items(in, word_capacity(kind), detail::AtCapacity::Report, result,
                       [&result](std::string_view text, std::size_t index) {
                           return scan_hex(text, result.words[index]);
                       });
    return result;
}

WordFile read_word_file(const std::filesystem::path& path, WordFileKind kind) {
    return detail::read_path<WordFile>(
        path, detail::max_file_bytes(word_capacity(kind)),
        [kind](std::istream& in) { return read_word_stream(in, kind); });
}

}  // namespace chip
