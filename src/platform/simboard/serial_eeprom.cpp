#include "platform/simboard/serial_eeprom.h"

namespace simboard {

bool SerialEeprom::instruction(std::uint8_t op) {
    if (op == kWriteEnable) {
        write_enabled_ = true;
        return true;
    }
    if (op == kWriteDisable) {
        write_enabled_ = false;
        return true;
    }
    return false;
}

bool SerialEeprom::write(std::uint16_t address, const std::uint8_t* data, std::size_t n) {
    if (!write_enabled_) return false;
    write_enabled_ = false;
    const std::size_t page = address & ~(kPage - 1);
    for (std::size_t i = 0; i < n && i < kPage; ++i) {
        cells_[page | ((address + i) & (kPage - 1))] = data[i];
    }
    return true;
}

std::uint8_t SerialEeprom::bus_read(std::uint16_t address) {
    if (misread_ == address) {
        misread_.reset();
        return static_cast<std::uint8_t>(~cells_[address]);
    }
    return cells_[address];
}

}  // namespace simboard
