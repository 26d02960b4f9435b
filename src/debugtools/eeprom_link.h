// The boot EEPROM on the board's SPI bus, reached with frames of its own: one instruction
// byte, a write of up to 8 bytes, a read of up to 9 (the tools use one byte throughout).
#pragma once

#include <cstdint>

#include "boardlink/transport/port.h"
#include "core/status.h"

namespace debugtools {

inline constexpr std::uint8_t kEepromWriteEnable = 0x06;

// Inner forms. A failed read also greys the setup panel's board commands and shows its
// message through the port's read-failure hook, as every SPI read does.
core::Status eeprom_instruction(boardlink::Port& port, std::uint8_t instruction);
core::Status eeprom_write(boardlink::Port& port, int n, int address, const int* data);
core::Status eeprom_read(boardlink::Port& port, int n, int address, std::uint8_t* value);

// 1 on success, 0 otherwise.
std::uint8_t EEPROM_config_usb(boardlink::Port& port, std::uint8_t instruction);
std::uint8_t EEPROM_write_usb(boardlink::Port& port, int n, int address, const int* data);
// The byte read; 0 on failure.
std::uint8_t EEPROM_read_usb(boardlink::Port& port, int n, int address);

}  // namespace debugtools
