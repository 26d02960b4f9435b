// The MCU's program flash as the update firmware sees it: 0x0000 to 0x2DFF in 512-byte pages
// that erase to 0xFF, programming that can only clear bits. It keeps its contents across
// resets and power cycles.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace simboard {

class McuFlash {
  public:
    static constexpr std::size_t kSize = 0x2E00;
    static constexpr std::size_t kPage = 512;

    McuFlash() { cells_.fill(0xFF); }

    // Erases the page holding the address; false when it lies outside the flash.
    bool erase_page(std::uint16_t address);
    // Programs n bytes from the address on; false (and nothing written) when any lies outside.
    bool program(std::uint16_t address, const std::uint8_t* data, std::size_t n);
    std::uint8_t at(std::size_t address) const { return address < kSize ? cells_[address] : 0xFF; }
    // The whole flash, lowest address first.
    std::span<const std::uint8_t, kSize> contents() const { return cells_; }

  private:
    std::array<std::uint8_t, kSize> cells_;
};

}  // namespace simboard
