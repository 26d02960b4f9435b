#include "macros/files.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string_view>

#include "chip/files/number_scan.h"
#include "core/atomic_file.h"
#include "core/input_file.h"

namespace macros {

namespace {

// Four hexadecimal numbers at the front of the line; anything after them is ignored.
bool scan_entry(const std::string& line, Entry* e) {
    std::istringstream in(line);
    int* fields[] = {&e->kind, &e->direction, &e->address, &e->data};
    for (int* f : fields) {
        std::string word;
        if (!(in >> word) || !std::isxdigit(static_cast<unsigned char>(word[0]))) return false;
        // The whole word, a NUL byte included, must be the number; a number past 32 bits fits
        // no field: not an entry, rather than one silently cut.
        std::string_view text = word;
        std::uint32_t v = 0;
        if (!chip::scan_hex(text, v)) return false;
        *f = static_cast<int>(v);
    }
    return true;
}

}  // namespace

ReadResult read_macro_file(const std::string& path, Table* table, FileUse use) {
    core::InputFile file(path, kMaxMacroFileBytes);
    if (!file.ok()) return ReadResult::Unreadable;
    std::istream& in = file.stream();
    Table t;
    reset_table(t);
    int n = 0;
    for (std::string line; n < kEntries && std::getline(in, line);) {
        Entry e;
        // A line of the end kind ends the macro, as the end entry does in a table.
        if (!scan_entry(line, &e) || e.kind == kEnd) break;
        if (use == FileUse::Store && n == kMaxOperations) return ReadResult::TooLong;
        t[n++] = e;
        if (n < kEntries) t[n] = kEndEntry;
    }
    *table = t;
    return ReadResult::Ok;
}

bool write_macro_file(const std::string& path, const Table& table) {
    std::string text;
    for (int i = 0; i < operation_count(table); ++i) {
        const Entry& e = table[i];
        char line[64];
        std::snprintf(line, sizeof line, "%01X  %01X  %02X  %06X\n", static_cast<unsigned>(e.kind),
                      static_cast<unsigned>(e.direction), static_cast<unsigned>(e.address),
                      static_cast<unsigned>(e.data));
        text += line;
    }
    return core::write_file_atomically(path, text).ok();
}

bool read_names(const std::string& path, std::vector<std::string>* names) {
    core::InputFile file(path, kMaxMacroFileBytes);
    if (!file.ok()) return false;
    std::istream& in = file.stream();
    names->clear();
    for (std::string w; names->size() < kExternalMacros && in >> w;) names->push_back(w);
    return true;
}

bool write_names(const std::string& path, const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& n : names) text += n + "\n";
    return core::write_file_atomically(path, text).ok();
}

bool valid_name(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameLength) return false;
    for (char c : name)
        if (std::isspace(static_cast<unsigned char>(c)) ||
            !std::isprint(static_cast<unsigned char>(c)))
            return false;
    return true;
}

}  // namespace macros
