// Macro files: a refused file leaves the table as it was; an accepted one holds at most
// kMaxOperations entries, each the four numbers its line shows, and saved and read again it
// gives the same table.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "macros/files.h"

namespace {

// A hexadecimal word as its value prints: no 0x prefix, no leading zeros, upper case.
std::string normal_hex(std::string word) {
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) word.erase(0, 2);
    word.erase(0, std::min(word.find_first_not_of('0'), word.size() - 1));
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return word;
}

std::string hex_of(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(value));
    return buf;
}

// The entry's numbers are the first four words of its line, value for value.
bool entry_matches_line(const macros::Entry& e, const std::string& line) {
    std::istringstream in(line);
    for (int field : {e.kind, e.direction, e.address, e.data}) {
        std::string word;
        if (!(in >> word) || normal_hex(word) != hex_of(field)) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::InputFile input(data, size, ".mac");
    macros::Table table;
    macros::reset_table(table, 2);
    table[0] = {macros::kDf, macros::kWrite, 0x21, 0x123456};
    table[1] = {macros::kSpi, macros::kRead, 0x05, 0};
    const macros::Table before = table;

    const macros::ReadResult r = macros::read_macro_file(input.path().string(), &table);
    if (r != macros::ReadResult::Ok) {
        FUZZ_CHECK(r == macros::ReadResult::TooLong);
        FUZZ_CHECK(table == before);
        return 0;
    }
    const int count = macros::operation_count(table);
    FUZZ_CHECK(count <= macros::kMaxOperations);
    FUZZ_CHECK(table[count] == macros::kEndEntry);
    for (int i = count + 1; i < macros::kEntries; ++i) FUZZ_CHECK(table[i] == macros::Entry{});

    // Entry i comes from line i: the reader stops at the first line that is not an entry.
    std::istringstream lines{std::string(fuzz::as_text(data, size))};
    std::string line;
    for (int i = 0; i < count; ++i) {
        FUZZ_CHECK(std::getline(lines, line));
        FUZZ_CHECK(entry_matches_line(table[i], line));
    }

    const fuzz::InputFile saved(nullptr, 0, ".saved.mac");
    FUZZ_CHECK(macros::write_macro_file(saved.path().string(), table));
    macros::Table again = before;
    FUZZ_CHECK(macros::read_macro_file(saved.path().string(), &again) == macros::ReadResult::Ok);
    FUZZ_CHECK(again == table);
    return 0;
}
