// Register files of mkboot: whatever the text, no more than 64 pairs are taken, the slots past
// the count stay zero, a stop names its line, the file and the stream read alike, and the pairs
// taken read back the same when written as plain hexadecimal pairs.
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

bool same(const chip::RegisterFile& a, const chip::RegisterFile& b) {
    if (a.count != b.count || a.error != b.error || a.error_line != b.error_line) return false;
    for (std::size_t i = 0; i < a.pairs.size(); ++i)
        if (a.pairs[i].address != b.pairs[i].address || a.pairs[i].value != b.pairs[i].value)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in{std::string(fuzz::as_text(data, size))};
    const chip::RegisterFile f = chip::read_register_stream(in);

    FUZZ_CHECK(f.count <= chip::kRegisterCapacity);
    for (std::size_t i = f.count; i < f.pairs.size(); ++i)
        FUZZ_CHECK(f.pairs[i].address == 0 && f.pairs[i].value == 0);
    FUZZ_CHECK(f.error != ReadError::CannotOpen && f.error != ReadError::CannotRead);
    FUZZ_CHECK((f.error == ReadError::None) == (f.error_line == 0));
    if (f.error == ReadError::TooManyItems) FUZZ_CHECK(f.count == chip::kRegisterCapacity);

    const fuzz::InputFile file(data, size, ".reg");
    FUZZ_CHECK(same(chip::read_register_file(file.path()), f));

    std::string written;
    for (std::size_t i = 0; i < f.count; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "%X %X\n", f.pairs[i].address, f.pairs[i].value);
        written += line;
    }
    std::istringstream again(written);
    const chip::RegisterFile back = chip::read_register_stream(again);
    FUZZ_CHECK(back.error == ReadError::None && back.count == f.count);
    for (std::size_t i = 0; i < f.count; ++i)
        FUZZ_CHECK(back.pairs[i].address == f.pairs[i].address &&
                   back.pairs[i].value == f.pairs[i].value);
    return 0;
}
