// The DSP debugger's command set: one table of codes, names, transfer patterns and the word
// counts the command panel uses, and the command word built from them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace debugger {

// Chip port registers the debugger uses (byte addresses).
inline constexpr int SPICTRL = 0x00;
inline constexpr int DEB_DATA = 0x0C;
inline constexpr int DEB_STAT = 0x0F;
inline constexpr int TEST2 = 0x15;
inline constexpr int TEST0 = 0x1B;

inline constexpr int kE2dreq = 0x000100;  // SPICTRL: the request still waits
inline constexpr int kErrBit = 0x400000;  // DEB_STAT: the debugger refused the command
inline constexpr int kBreakpointWord = 0xE00000;
inline constexpr int kLastCode = 0x33;
inline constexpr int kMaxAddress = 0x3FFF;  // the command word's 14 address bits
inline constexpr int kDataFields = 8;

// Codes the operations use by name.
enum Code : int {
    RESET = 0x00,
    HALT = 0x01,
    CONTINUE = 0x02,
    SINGLE_STEP = 0x03,
    WR_DMEM = 0x08,
    RD_DMEM = 0x09,
    WR_PMEM = 0x0A,
    RD_PMEM = 0x0B,
    WR_IOREG = 0x0C,
    RD_IOREG = 0x0D,
    RD_ALL_AR = 0x0F,
    WR_ALL_MAR = 0x20,
    RD_ALL_MAR = 0x21,
    RD_PAR0 = 0x23,
    RD_PAR1 = 0x25,
    RD_MPAR0 = 0x27,
    RD_MPAR1 = 0x29,
    WR_ACC0 = 0x2A,
    RD_ACC0 = 0x2B,
    WR_ACC1 = 0x2C,
    RD_ACC1 = 0x2D,
    WR_CR = 0x2E,
    RD_CR = 0x2F,
    WR_PC = 0x30,
    RD_ALL_STACKPCS = 0x31,
    WR_LC = 0x32,
    RD_ALL_STACKLCS = 0x33,
};

enum class Pattern {
    None,  // nothing is sent
    Plain,
    BlockWrite,
    BlockRead,
    ShortWrite,
    ShortRead,
    AccWrite,
    AccRead,
};

// Where the command panel takes a command's words and address from.
enum class Fields {
    Unchanged,  // a blank code leaves the panel state as it was
    Fixed,      // the table's counts, address 0
    Address,    // the table's counts, address from the address field
    Memory,     // both counts from the number-of-words field, address from the address field
};

struct CommandInfo {
    const char* name;  // empty for the blank codes
    Pattern pattern;
    Fields fields;
    int shown;  // words shown on the panel and in the log
    int count;  // word count handed to the transfer
};

// The entry of a code; codes above kLastCode send nothing.
const CommandInfo& command_info(int code);
// The name padded to the 15 characters of the command log.
std::string padded_name(int code);
// A code by its name (as in the table, any case) or number; nothing when neither.
std::optional<int> code_by_name(std::string_view text);

// The code in bits 21-16, the count saturated at 3 in bits 15-14, the address in bits 13-0.
int command_word(int code, int count, int address);

}  // namespace debugger
