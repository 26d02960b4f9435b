// One macro operation and the fixed-size tables that hold them.
#pragma once

#include <array>

namespace macros {

// Entry kinds.
inline constexpr int kDf = 0;    // filter register through the command interface
inline constexpr int kSpi = 1;   // port register
inline constexpr int kCmd = 2;   // one of the miscellaneous commands
inline constexpr int kEnd = -1;  // end of macro
// What a list line whose kind word is not one of ours parses back to; it does nothing when run.
inline constexpr int kUnknownKind = 3;

inline constexpr int kWrite = 0;
inline constexpr int kRead = 1;

// A table holds 200 entries; the last one a macro can use is its end entry.
inline constexpr int kEntries = 200;
inline constexpr int kMaxOperations = kEntries - 1;

struct Entry {
    int kind = 0;
    int direction = 0;
    int address = 0;
    int data = 0;
    bool operator==(const Entry&) const = default;
};

inline constexpr Entry kEndEntry{kEnd, kEnd, kEnd, kEnd};

using Table = std::array<Entry, kEntries>;

inline bool is_read(const Entry& e) {
    return e.direction != kWrite;
}

// Operations before the end entry (kEntries when there is none).
inline int operation_count(const Table& t) {
    int n = 0;
    while (n < kEntries && t[n].kind != kEnd) ++n;
    return n;
}

// All zero, then the end entry at `count`.
inline void reset_table(Table& t, int count = 0) {
    t.fill(Entry{});
    if (count < kEntries) t[count] = kEndEntry;
}

// The register selector's value encoding: false for a heading or a value that names no
// operation.
inline bool decode_selector(int value, int* kind, int* address) {
    struct Range {
        int first, last, kind;
    };
    static constexpr Range kRanges[] = {{0, 63, kDf}, {64, 95, kSpi}, {96, 111, kCmd}};
    for (const Range& r : kRanges) {
        if (value >= r.first && value <= r.last) {
            *kind = r.kind;
            *address = value - r.first;
            return true;
        }
    }
    return false;
}

}  // namespace macros
