#include "chip/registers.h"

#include "boardlink/transport.h"

namespace chip {

core::Status reg_read(App& app, int address, int* value) {
    int bytes[6] = {0x00, 0x00, RD_DFREG};
    word_bytes(address, bytes + 3);
    *value = 0;
    // The Part's read ignores the write's outcome: a lost write shows as a failed read.
    boardlink::spi_write(app, 6, SPICMD, bytes);
    return boardlink::spi_read(app, SPIDAT1, value);
}

core::Status reg_write(App& app, int address, int value) {
    int bytes[9] = {0x00, 0x00, WR_DFREG};
    word_bytes(address, bytes + 3);
    word_bytes(value, bytes + 6);
    return boardlink::spi_write(app, 9, SPICMD, bytes);
}

namespace {

struct CommandOutcome {
    core::Status write;
    core::Status read_back;  // the first failed read-back, else success
};

CommandOutcome run_command(App& app, int command, int* data1, int* data2, bool read_back) {
    int bytes[9];
    word_bytes(command, bytes);
    word_bytes(*data1, bytes + 3);
    word_bytes(*data2, bytes + 6);
    CommandOutcome out{boardlink::spi_write(app, 9, SPICMD, bytes), {}};
    if (!read_back) return out;
    // All reads are made even after one fails, as the panel's tool always did.
    auto keep = [&out](core::Status r) {
        if (out.read_back.ok() && !r.ok()) out.read_back = r;
    };
    keep(boardlink::spi_read(app, SPIDAT1, data1));
    keep(boardlink::spi_read(app, SPIDAT2, data2));
    if (command == 0x13 || command == 0x14) keep(boardlink::spi_read(app, SPIDAT1, data2));
    return out;
}

}  // namespace

core::Status dsp_command(App& app, int command, int* data1, int* data2, bool read_back) {
    const CommandOutcome o = run_command(app, command, data1, data2, read_back);
    return o.write.ok() ? o.read_back : o.write;
}

int REG_read(App& app, int address) {
    int value = 0;
    reg_read(app, address, &value);
    return value;
}

std::uint8_t REG_write(App& app, int address, int value) {
    return reg_write(app, address, value).ok() ? 1 : 0;
}

std::uint8_t DSP_command(App& app, int command, int* data1, int* data2, int read_back) {
    // The command's result is the write's, whatever the read-back did.
    return run_command(app, command, data1, data2, read_back == 1).write.ok() ? 1 : 0;
}

}  // namespace chip
