#include "chip/registers.h"

#include "boardlink/transport/transport.h"
#include "core/system_types.h"

namespace chip {

core::Status reg_read(boardlink::Port& port, int address, int* value) {
    int bytes[6] = {0x00, 0x00, RD_DFREG};
    core::word_bytes(address, bytes + 3);
    *value = 0;
    // A register read ignores the write's outcome: a lost write shows as a failed read.
    boardlink::spi_write(port, 6, SPICMD, bytes);
    return boardlink::spi_read(port, SPIDAT1, value);
}

core::Status reg_write(boardlink::Port& port, int address, int value) {
    int bytes[9] = {0x00, 0x00, WR_DFREG};
    core::word_bytes(address, bytes + 3);
    core::word_bytes(value, bytes + 6);
    return boardlink::spi_write(port, 9, SPICMD, bytes);
}

namespace {

core::Status write_command(boardlink::Port& port, int command, int data1, int data2) {
    int bytes[9];
    core::word_bytes(command, bytes);
    core::word_bytes(data1, bytes + 3);
    core::word_bytes(data2, bytes + 6);
    return boardlink::spi_write(port, 9, SPICMD, bytes);
}

// All reads are made even after one fails, as the panel's tool always did; the first failure
// is the outcome.
core::Status read_results(boardlink::Port& port, int command, int* data1, int* data2) {
    core::Status first;
    auto keep = [&first](core::Status r) {
        if (first.ok() && !r.ok()) first = r;
    };
    keep(boardlink::spi_read(port, SPIDAT1, data1));
    keep(boardlink::spi_read(port, SPIDAT2, data2));
    if (command == 0x13 || command == 0x14) keep(boardlink::spi_read(port, SPIDAT1, data2));
    return first;
}

}  // namespace

core::Status dsp_command(boardlink::Port& port, int command, int* data1, int* data2,
                         bool read_back) {
    const core::Status s = write_command(port, command, *data1, *data2);
    if (!read_back) return s;
    const core::Status r = read_results(port, command, data1, data2);
    return s.ok() ? r : s;
}

int REG_read(boardlink::Port& port, int address) {
    int value = 0;
    reg_read(port, address, &value);
    return value;
}

std::uint8_t REG_write(boardlink::Port& port, int address, int value) {
    return reg_write(port, address, value).ok() ? 1 : 0;
}

std::uint8_t DSP_command(boardlink::Port& port, int command, int* data1, int* data2,
                         int read_back) {
    // The result is the write's: a failed read-back has shown its own message.
    const core::Status s = write_command(port, command, *data1, *data2);
    if (read_back == 1) read_results(port, command, data1, data2);
    return s.ok() ? 1 : 0;
}

}  // namespace chip
