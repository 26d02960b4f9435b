#include "macros/board_port.h"

#include "boardlink/transport/transport.h"
#include "chip/registers.h"
#include "shell/app.h"

namespace macros {

core::Status BoardPort::reg_write(int address, int value) {
    return chip::reg_write(app_.port, address, value);
}

core::Status BoardPort::reg_read(int address, int* value) {
    return chip::reg_read(app_.port, address, value);
}

core::Status BoardPort::spi_write(int n, int address, const int* bytes) {
    return boardlink::spi_write(app_.port, n, address, bytes);
}

core::Status BoardPort::spi_read(int address, int* value) {
    return boardlink::spi_read(app_.port, address, value);
}

void BoardPort::delay(double seconds) {
    app_.ui.Delay(seconds);
}

void BoardPort::print(const std::string& text) {
    app_.ui.Print(text);
}

}  // namespace macros
