// The register dump: the 43 reads of the core's registers and the nineteen lines shown.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/status.h"

namespace debugger {

struct Context;

inline constexpr int kStackDepth = 16;
inline constexpr int kIoRegisters = 32;
inline constexpr int kStatusIo = 2;  // the status word; bits 11-8 are the stack pointer
inline constexpr int kDumpLines = 19;

struct CoreRegisters {
    std::array<int, 3> acc0{}, acc1{};  // S, Hi, Lo
    std::array<int, 8> ar{}, mar{};
    int par0 = 0, par1 = 0, mpar0 = 0, mpar1 = 0, cr = 0;
    std::array<int, kIoRegisters> io{};
    std::array<int, kStackDepth> pcs{}, lcs{};
};

inline constexpr const char* kRegisterProgressTitle = "Reading DSP Registers";

// Every read followed by a 0.1 s wait; the first failure ends it (its message shown). A
// progress window counts the reads; its Cancel ends the dump with "Register read cancelled."
// (Fault::Cancelled) and `out` untouched.
core::Status read_registers(const Context& cx, CoreRegisters* out);

int stack_pointer(int status_word);
// PC stack entry SP - 1; nothing when the stack pointer is 0.
std::optional<int> current_pc(const CoreRegisters& r);
// The PC display: four upper-case hexadecimal digits, or "----" for no PC.
std::string pc_text(std::optional<int> pc);
// The nineteen dump lines, upper case.
std::vector<std::string> dump_lines(const CoreRegisters& r);

}  // namespace debugger
