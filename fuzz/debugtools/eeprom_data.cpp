// EEPROM data files: a refused file leaves the lines as they were; an accepted one gives one
// entry per line of the file, numbered in order, with a value exactly where the line holds a
// number, and that value is the number itself (one byte or more). scan_hex takes the first
// run of digits whole, or refuses it when it passes 32 bits.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "debugtools/eeprom_file.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

bool is_hex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// The digits a "%x" scan of the text takes: after white space and an optional 0x, without
// leading zeros, upper case ("0" for a zero); empty when there are none.
std::string digit_run(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        is_hex(text[i + 2]))
        i += 2;
    std::string run;
    for (; i < text.size() && is_hex(text[i]); ++i)
        if (!run.empty() || text[i] != '0')
            run += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
    if (run.empty() && i > 0 && text[i - 1] == '0') run = "0";
    return run;
}

void check_scan_hex(const std::string& text) {
    const std::optional<std::uint32_t> v = debugtools::scan_hex(text);
    const std::string run = digit_run(text);
    if (!v) {
        FUZZ_CHECK(run.empty() || run.size() > 8);
        return;
    }
    char shown[16];
    std::snprintf(shown, sizeof shown, "%X", static_cast<unsigned>(*v));
    FUZZ_CHECK(run == shown);
}

bool comment_or_blank(const std::string& line) {
    if (line.empty() || line[0] == '#') return true;
    for (unsigned char c : line)
        if (!std::isspace(c)) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(fuzz::as_text(data, size));
    std::vector<std::string> file_lines;
    {
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            check_scan_hex(line);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            file_lines.push_back(line);
        }
    }

    const fuzz::InputFile input(data, size, ".dat");
    const std::vector<debugtools::DataLine> known{{7, std::uint8_t{0x5A}}};
    std::vector<debugtools::DataLine> lines = known;
    const core::Status s = debugtools::read_data_file(input.path().string(), &lines);
    if (!s) {
        FUZZ_CHECK(s.fault == core::Fault::BadInput);
        FUZZ_CHECK(!s.text.empty());
        FUZZ_CHECK(lines.size() == known.size() && lines[0].number == known[0].number &&
                   lines[0].value == known[0].value);
        return 0;
    }
    FUZZ_CHECK(lines.size() == file_lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        FUZZ_CHECK(lines[i].number == static_cast<int>(i) + 1);
        FUZZ_CHECK(lines[i].value.has_value() == !comment_or_blank(file_lines[i]));
        if (lines[i].value) FUZZ_CHECK(debugtools::scan_hex(file_lines[i]) == *lines[i].value);
    }
    return 0;
}
