// The 64 KiB serial boot EEPROM: byte-addressed, written only after a write enable, which
// each write consumes; writes wrap inside a 64-byte page as on the real part.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/usb/wire_format.h"

namespace simboard {

class SerialEeprom {
  public:
    static constexpr std::size_t kSize = 65536;
    static constexpr std::size_t kPage = 64;
    static constexpr std::uint8_t kWriteEnable = usb::wire::kInstrWriteEnable;
    static constexpr std::uint8_t kWriteDisable = 0x04;

    SerialEeprom() { cells_.fill(0xFF); }

    // A one-byte instruction; returns false for one the part does not know.
    bool instruction(std::uint8_t op);
    // Stores n bytes from the address on when writes are enabled; returns whether it stored.
    bool write(std::uint16_t address, const std::uint8_t* data, std::size_t n);
    std::uint8_t read(std::uint16_t address) const { return cells_[address]; }
    // A read on the SPI bus: as read(), unless a misread was asked for at that address.
    std::uint8_t bus_read(std::uint16_t address);

    bool write_enabled() const { return write_enabled_; }
    // Power loss clears the write-enable latch; the cells keep their contents.
    void power_cycle() { write_enabled_ = false; }
    // Direct access for tests that need a prepared image.
    void poke(std::uint16_t address, std::uint8_t value) { cells_[address] = value; }
    // Fault on demand: the next bus read of the address returns the byte inverted, once.
    void misread_once(std::uint16_t address) { misread_ = address; }
    void clear_misread() { misread_.reset(); }

  private:
    std::array<std::uint8_t, kSize> cells_;
    bool write_enabled_ = false;
    std::optional<std::uint16_t> misread_;
};

}  // namespace simboard
