// The debugger's transfer layer: arming the debug interrupt, the request handshake on
// DEB_DATA/DEB_STAT with its e2dreq poll, and one whole debugger command by its pattern.
// A failing step shows its "Debug Error" message at once (a failed SPI read has shown the
// transport's) and returns a failure that carries no further message.
#pragma once

#include <string>
#include <vector>

#include "core/status.h"

namespace debugger {

struct Context;

enum DebugErrorKind : int {
    kReadBackError = 0,  // DEB_STAT did not echo the command
    kErrBitSet = 1,      // the debugger refused the command
    kE2dreqStuck = 2,    // the debugger never took the request
    kOtherError = 3,     // the SPI write was not acknowledged
};

// Shows the kind's message under "Debug Error" and returns the failure it stands for.
core::Status debug_error_handler(const Context& cx, int kind, core::Fault fault, std::string step);

core::Status write_debug_interrupt(const Context& cx);
core::Status clear_debug_interrupt(const Context& cx);
// Success once the debugger cleared e2dreq, within 20 polls 1 ms apart.
core::Status check_e2dreq(const Context& cx);
// Mode 0: data and command word; mode 1: the short form, data in the command word's low 14
// bits; mode 2: data alone.
core::Status DEBUG_write(const Context& cx, int data, int command_word, int mode);
// Mode 0: DEB_DATA whole; mode 1: its bits 13-0.
core::Status DEBUG_read(const Context& cx, int* destination, int mode);
// One debugger command. words carries the data: it is zero-extended to the words the
// pattern moves, and the words read are stored in it.
core::Status DEBUG_command(const Context& cx, int code, int count, int address,
                           std::vector<int>& words);

}  // namespace debugger
