#include "chip/registers.h"

#include "boardlink/transport.h"

namespace chip {

int REG_read(App& app, int address) {
    int bytes[6] = {0x00, 0x00, RD_DFREG};
    word_bytes(address, bytes + 3);
    boardlink::SPI_write(app, 6, SPICMD, bytes);
    return boardlink::SPI_read(app, 3, SPIDAT1);
}

std::uint8_t REG_write(App& app, int address, int value) {
    int bytes[9] = {0x00, 0x00, WR_DFREG};
    word_bytes(address, bytes + 3);
    word_bytes(value, bytes + 6);
    return static_cast<std::uint8_t>(boardlink::SPI_write(app, 9, SPICMD, bytes));
}

std::uint8_t DSP_command(App& app, int command, int* data1, int* data2, int read_back) {
    int bytes[9];
    word_bytes(command, bytes);
    word_bytes(*data1, bytes + 3);
    word_bytes(*data2, bytes + 6);
    const auto result = static_cast<std::uint8_t>(boardlink::SPI_write(app, 9, SPICMD, bytes));
    if (read_back == 1) {
        *data1 = boardlink::SPI_read(app, 3, SPIDAT1);
        *data2 = boardlink::SPI_read(app, 3, SPIDAT2);
        if (command == 0x13 || command == 0x14) *data2 = boardlink::SPI_read(app, 3, SPIDAT1);
    }
    return result;
}

}  // namespace chip
