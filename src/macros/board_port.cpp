#include "macros/board_port.h"

#include "boardlink/transport/transport.h"
#include "chip/registers.h"

namespace macros {

core::Status BoardPort::reg_write(int address, int value) {
    return chip::reg_write(cx_.port, address, value);
}

core::Status BoardPort::reg_read(int address, int* value) {
    return chip::reg_read(cx_.port, address, value);
}

core::Status BoardPort::spi_write(int n, int address, const int* bytes) {
    return boardlink::spi_write(cx_.port, n, address, bytes);
}

core::Status BoardPort::spi_read(int address, int* value) {
    return boardlink::spi_read(cx_.port, address, value);
}

void BoardPort::delay(double seconds) {
    cx_.ui.Delay(seconds);
}

void BoardPort::print(const std::string& text) {
    cx_.ui.Print(text);
}

}  // namespace macros
