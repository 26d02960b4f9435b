// The simulated board's faults by name: one table that the command line and the console
// switch from, so every failure the board can show is reachable by a person and by a test.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace simboard {

class SimBoard;

// What a fault's argument is; the command line reads it and hands over the number.
enum class FaultArg {
    None,
    Count,              // a record count, 0 and up
    RequestType,        // a request type by name or number; "all" is kAllRequestTypes
    EepromInstruction,  // wren, write or read (or the instruction byte)
    Address,            // an EEPROM byte or DSP word address
    DebugCommand,       // a DSP debugger command code, 0-63
};

inline constexpr std::int64_t kAllRequestTypes = -1;

struct FaultSwitch {
    std::string_view name;
    FaultArg arg = FaultArg::None;
    FaultArg arg2 = FaultArg::None;
    std::string_view help;
    void (*apply)(SimBoard& board, std::int64_t a, std::int64_t b);
};

std::span<const FaultSwitch> fault_switches();
const FaultSwitch* find_fault_switch(std::string_view name);

// How an argument kind shows in a usage line ("N", "TYPE", ...).
std::string_view fault_arg_label(FaultArg kind);
// The numeric range an argument of the kind may take when written as a number.
std::int64_t fault_arg_max(FaultArg kind);
// An argument written as a word: request types and EEPROM instructions by name.
std::optional<std::int64_t> fault_arg_word(FaultArg kind, std::string_view word);

}  // namespace simboard
