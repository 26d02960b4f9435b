#include "platform/simboard/mcu_flash.h"

namespace simboard {

bool McuFlash::erase_page(std::uint16_t address) {
    if (address >= kSize) return false;
    const std::size_t first = address & ~(kPage - 1);
    for (std::size_t i = 0; i < kPage; ++i) cells_[first + i] = 0xFF;
    return true;
}

bool McuFlash::program(std::uint16_t address, const std::uint8_t* data, std::size_t n) {
    if (static_cast<std::size_t>(address) + n > kSize) return false;
    for (std::size_t i = 0; i < n; ++i) cells_[address + i] &= data[i];
    return true;
}

}  // namespace simboard
