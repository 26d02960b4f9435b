#include "debugtools/debugger/commands.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

#include "core/number_text.h"

namespace debugger {

namespace {

using enum Pattern;
using F = Fields;

constexpr CommandInfo kBlank{"", None, F::Unchanged, 0, 0};
constexpr CommandInfo kBeyond{"", None, F::Fixed, 0, 0};

constexpr std::array<CommandInfo, kLastCode + 1> kCommands{{
    {"RESET", Plain, F::Fixed, 0, 0},
    {"HALT", Plain, F::Fixed, 0, 0},
    {"CONTINUE", Plain, F::Fixed, 0, 0},
    {"SINGLE_STEP", Plain, F::Fixed, 0, 0},
    {"JUMP_TO_PATCH", Plain, F::Address, 0, 0},
    kBlank,
    kBlank,
    kBlank,
    {"WR_DMEM", BlockWrite, F::Memory, 0, 0},
    {"RD_DMEM", BlockRead, F::Memory, 0, 0},
    {"WR_PMEM", BlockWrite, F::Memory, 0, 0},
    {"RD_PMEM", BlockRead, F::Memory, 0, 0},
    {"WR_IOREG", BlockWrite, F::Address, 1, 1},
    {"RD_IOREG", BlockRead, F::Address, 1, 1},
    {"WR_ALL_AR", BlockWrite, F::Fixed, 8, 8},
    {"RD_ALL_AR", BlockRead, F::Fixed, 8, 8},
    {"WR_AR0", ShortWrite, F::Fixed, 1, 0},
    {"RD_AR0", ShortRead, F::Fixed, 1, 0},
    {"WR_AR1", ShortWrite, F::Fixed, 1, 0},
    {"RD_AR1", ShortRead, F::Fixed, 1, 0},
    {"WR_AR2", ShortWrite, F::Fixed, 1, 0},
    {"RD_AR2", ShortRead, F::Fixed, 1, 0},
    {"WR_AR3", ShortWrite, F::Fixed, 1, 0},
    {"RD_AR3", ShortRead, F::Fixed, 1, 0},
    {"WR_AR4", ShortWrite, F::Fixed, 1, 0},
    {"RD_AR4", ShortRead, F::Fixed, 1, 0},
    {"WR_AR5", ShortWrite, F::Fixed, 1, 0},
    {"RD_AR5", ShortRead, F::Fixed, 1, 0},
    {"WR_AR6", ShortWrite, F::Fixed, 1, 0},
    {"RD_AR6", ShortRead, F::Fixed, 1, 0},
    {"WR_AR7", ShortWrite, F::Fixed, 1, 0},
    {"RD_AR7", ShortRead, F::Fixed, 1, 0},
    {"WR_ALL_MAR", BlockWrite, F::Fixed, 8, 8},
    {"RD_ALL_MAR", BlockRead, F::Fixed, 8, 8},
    {"WR_PAR0", ShortWrite, F::Fixed, 1, 0},
    {"RD_PAR0", ShortRead, F::Fixed, 1, 0},
    {"WR_PAR1", ShortWrite, F::Fixed, 1, 0},
    {"RD_PAR1", ShortRead, F::Fixed, 1, 0},
    {"WR_MPAR0", ShortWrite, F::Fixed, 1, 0},
    {"RD_MPAR0", ShortRead, F::Fixed, 1, 0},
    {"WR_MPAR1", ShortWrite, F::Fixed, 1, 0},
    {"RD_MPAR1", ShortRead, F::Fixed, 1, 0},
    {"WR_ACC0", AccWrite, F::Fixed, 3, 2},
    {"RD_ACC0", AccRead, F::Fixed, 3, 2},
    {"WR_ACC1", AccWrite, F::Fixed, 3, 2},
    {"RD_ACC1", AccRead, F::Fixed, 3, 2},
    {"WR_CR", BlockWrite, F::Fixed, 1, 1},
    {"RD_CR", BlockRead, F::Fixed, 1, 1},
    {"WR_PC", ShortWrite, F::Fixed, 1, 0},
    {"RD_ALL_STACKPCS", BlockRead, F::Fixed, 16, 16},
    {"WR_LC", ShortWrite, F::Fixed, 1, 0},
    {"RD_ALL_STACKLCS", BlockRead, F::Fixed, 16, 16},
}};

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

const CommandInfo& command_info(int code) {
    if (code < 0 || code > kLastCode) return kBeyond;
    return kCommands[static_cast<std::size_t>(code)];
}

std::string padded_name(int code) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%-15s", command_info(code).name);
    return buf;
}

std::optional<int> code_by_name(std::string_view text) {
    const std::string wanted = upper(text);
    for (int code = 0; code <= kLastCode; ++code)
        if (!wanted.empty() && wanted == command_info(code).name) return code;
    long long n = 0;
    if (core::parse_number(text, 0, 0xFF, &n)) return static_cast<int>(n);
    return std::nullopt;
}

int command_word(int code, int count, int address) {
    return (code & 0x3F) << 16 | std::clamp(count, 0, 3) << 14 | (address & kMaxAddress);
}

}  // namespace debugger
