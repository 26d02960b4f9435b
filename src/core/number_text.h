// The one reader of numbers typed on a command line: the console and script commands and the
// programs' own options.
#pragma once

#include <optional>
#include <string_view>

namespace core {

// An integer written whole, as decimal with an optional minus sign or as 0x / 0X hexadecimal,
// within lo ... hi. No spaces, plus signs or trailing characters: "0x+5", " 5" and "5k" are
// refused rather than read as 5. value is untouched on failure.
bool parse_number(std::string_view text, long long lo, long long hi, long long* value);

// The "--simulate[=CODE]" option both programs take: a simulated board instead of USB,
// reporting board code CODE. Codes the board table does not know are allowed; such a board
// shows as an unknown target.
inline constexpr std::string_view kSimulateOption = "--simulate";
inline constexpr int kDefaultSimulatedBoard = 4;
inline constexpr int kMaxBoardCode = 255;

// Whether arg is "--simulate" or "--simulate=...".
bool is_simulate_option(std::string_view arg);

// The board code of a simulate option: kDefaultSimulatedBoard for a bare "--simulate", CODE
// otherwise; nothing when CODE is not a number from 0 to kMaxBoardCode.
std::optional<int> simulated_board_code(std::string_view arg);

}  // namespace core
