// The engine's port on the running program: the board through the chip and SPI primitives,
// waits on the program's clock, read lines on the standard-output window. The only place
// macros reach the board link.
#pragma once

#include "macros/context.h"
#include "macros/engine.h"

namespace macros {

class BoardPort final : public MacroPort {
  public:
    explicit BoardPort(const Context& cx) : cx_(cx) {}
    core::Status reg_write(int address, int value) override;
    core::Status reg_read(int address, int* value) override;
    core::Status spi_write(int n, int address, const int* bytes) override;
    core::Status spi_read(int address, int* value) override;
    void delay(double seconds) override;
    void print(const std::string& text) override;

  private:
    Context cx_;
};

}  // namespace macros
