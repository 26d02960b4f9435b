// Coefficient and TBS value files of mkboot: at every stage's limit (and a limit above the
// largest, which is cut to it) the count stays within the limit, the slots past it stay zero,
// every value is finite, a smaller limit reads a prefix of what a larger one reads, the file
// and the stream read alike, and the values taken read back exactly when written out.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

#include "chip/files/mkboot_inputs.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

using chip::ReadError;

constexpr std::size_t kLimits[] = {chip::kIir1ValueLimit, chip::kIir2ValueLimit,
                                   chip::kFirValueLimit, chip::kTbsValueLimit,
                                   chip::kTbsValueLimit + 100};

chip::ValueFile read_text(const std::string& text, std::size_t limit) {
    std::istringstream in(text);
    return chip::read_value_stream(in, limit);
}

void check_one(const chip::ValueFile& f, std::size_t limit) {
    const std::size_t cap = limit < chip::kTbsValueLimit ? limit : chip::kTbsValueLimit;
    FUZZ_CHECK(f.count <= cap);
    for (std::size_t i = 0; i < f.count; ++i) FUZZ_CHECK(std::isfinite(f.values[i]));
    for (std::size_t i = f.count; i < f.values.size(); ++i) FUZZ_CHECK(f.values[i] == 0.0);
    // Reading stops at the limit, so nothing is ever "too many" here.
    FUZZ_CHECK(f.error == ReadError::None || f.error == ReadError::BadItem);
    FUZZ_CHECK((f.error == ReadError::None) == (f.error_line == 0));
}

bool same_values(const chip::ValueFile& a, const chip::ValueFile& b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (a.values[i] != b.values[i] || std::signbit(a.values[i]) != std::signbit(b.values[i]))
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(fuzz::as_text(data, size));
    chip::ValueFile files[std::size(kLimits)];
    for (std::size_t k = 0; k < std::size(kLimits); ++k) {
        files[k] = read_text(text, kLimits[k]);
        check_one(files[k], kLimits[k]);
    }
    for (std::size_t k = 0; k + 1 < std::size(kLimits); ++k) {
        const chip::ValueFile& small = files[k];
        const chip::ValueFile& large = files[k + 1];
        FUZZ_CHECK(small.count <= large.count);
        FUZZ_CHECK(same_values(small, large, small.count));
        // The end of the file or a bad line before the smaller limit ends both readings there.
        if (small.error == ReadError::None &&
            small.count < std::min(kLimits[k], chip::kTbsValueLimit))
            FUZZ_CHECK(large.error == ReadError::None && large.count == small.count);
        if (small.error == ReadError::BadItem) {
            FUZZ_CHECK(large.error == ReadError::BadItem && large.count == small.count &&
                       large.error_line == small.error_line);
        }
    }

    const chip::ValueFile& tbs = files[3];
    const fuzz::InputFile file(data, size, ".tbs");
    const chip::ValueFile from_file = chip::read_value_file(file.path(), chip::kTbsValueLimit);
    FUZZ_CHECK(from_file.count == tbs.count && from_file.error == tbs.error &&
               from_file.error_line == tbs.error_line && same_values(from_file, tbs, tbs.count));

    std::string written;
    for (std::size_t i = 0; i < tbs.count; ++i) {
        char line[40];
        std::snprintf(line, sizeof line, "%.17g\n", tbs.values[i]);
        written += line;
    }
    const chip::ValueFile back = read_text(written, chip::kTbsValueLimit);
    FUZZ_CHECK(back.error == ReadError::None && back.count == tbs.count);
    FUZZ_CHECK(same_values(back, tbs, tbs.count));
    return 0;
}
