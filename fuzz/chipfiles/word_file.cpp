// Word files (FIR, IIR, TBS): whatever the text, the count stays within the stage's capacity,
// the words past the count stay zero, and an accepted file holds one word per item line.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "chip/files/word_file.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(fuzz::as_text(data, size));
    for (auto kind : {chip::WordFileKind::Fir, chip::WordFileKind::Iir, chip::WordFileKind::Tbs}) {
        std::istringstream in(text);
        const chip::WordFile file = chip::read_word_stream(in, kind);
        FUZZ_CHECK(file.count <= chip::word_capacity(kind));
        for (std::size_t i = file.count; i < file.words.size(); ++i) FUZZ_CHECK(file.words[i] == 0);
        if (file.error == chip::ReadError::None) FUZZ_CHECK(file.error_line == 0);
        if (file.error == chip::ReadError::BadItem || file.error == chip::ReadError::TooManyItems)
            FUZZ_CHECK(file.error_line > 0);
    }
    return 0;
}
