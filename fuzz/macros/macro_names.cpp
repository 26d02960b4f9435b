// The names file: at most kExternalMacros names, each one word, and saved and read again they
// are the same names.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "macros/files.h"

namespace {

bool one_word(const std::string& name) {
    if (name.empty()) return false;
    for (unsigned char c : name)
        if (std::isspace(c)) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::InputFile input(data, size, ".names.txt");
    std::vector<std::string> names{"KNOWN"};
    FUZZ_CHECK(macros::read_names(input.path().string(), &names));
    FUZZ_CHECK(names.size() <= static_cast<std::size_t>(macros::kExternalMacros));
    for (const std::string& n : names) FUZZ_CHECK(one_word(n));

    const fuzz::InputFile saved(nullptr, 0, ".saved.txt");
    FUZZ_CHECK(macros::write_names(saved.path().string(), names));
    std::vector<std::string> again{"KNOWN"};
    FUZZ_CHECK(macros::read_names(saved.path().string(), &again));
    FUZZ_CHECK(again == names);
    return 0;
}
