// The text of one macro entry as the editor's list shows it, and back.
#pragma once

#include <string>

#include "macros/entry.h"

namespace macros {

// Nine characters shown for an address beyond its name table or an unknown kind.
inline constexpr const char* kUnknownName = "?????????";

// The nine-character name of an entry's address (blank where the table has no name).
const char* entry_name(int kind, int address);

// "DF    W   0x20  FILT_CFG   0x000000"; a read ends after the name.
std::string create_macro_line(int kind, int direction, int address, int data);
inline std::string create_macro_line(const Entry& e) {
    return create_macro_line(e.kind, e.direction, e.address, e.data);
}

// The entry a list line was made from; false for text that is not such a line.
bool parse_macro_line(const std::string& line, Entry* entry);

}  // namespace macros
