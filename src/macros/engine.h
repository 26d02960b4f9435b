// The engine that replays a macro's entries over the board link.
#pragma once

#include <span>
#include <string>

#include "core/status.h"
#include "macros/entry.h"

namespace macros {

// What the engine needs of the board, the clock and the standard-output window. The program's
// port (board_port.h) goes through the chip and SPI primitives; each call reports its outcome.
class MacroPort {
  public:
    virtual ~MacroPort() = default;
    virtual core::Status reg_write(int address, int value) = 0;
    virtual core::Status reg_read(int address, int* value) = 0;
    // n bytes (3, 6 or 9) from the port address on.
    virtual core::Status spi_write(int n, int address, const int* bytes) = 0;
    virtual core::Status spi_read(int address, int* value) = 0;
    virtual void delay(double seconds) = 0;
    // One line of the read log, newline included.
    virtual void print(const std::string& text) = 0;
};

// Runs the entries in order up to the end entry or the 200th entry. Every entry is attempted
// even after a failed transfer; the outcome is the first failure, or success.
core::Status run_macro_cmds(MacroPort& port, std::span<const Entry> table);

}  // namespace macros
