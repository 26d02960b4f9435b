// The board models the program knows, by the code the board reports.
#pragma once

namespace boardlink {

struct BoardInfo {
    int code;
    const char* name;
    bool four_channel;
    bool reference_design;
};

// nullptr for a code outside 1..10.
const BoardInfo* find_board(int code);

inline constexpr const char* kUnknownTarget = "Unknown target";

}  // namespace boardlink
