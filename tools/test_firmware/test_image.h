// Test images for the MCU flash: a readable banner that says they are not firmware, then a
// pattern that differs at every address, written out in the firmware file format. They are
// for the simulated board only; real firmware files are delivered with the boards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace test_firmware {

using Bytes = std::vector<std::uint8_t>;

// The image for a board code, `bytes` long rounded up to whole 64-byte records (at most the
// flash below 0x2E00).
Bytes image_bytes(int code, std::size_t bytes);
// The firmware file: one record per line from address 0 up, then the end record at 0x2E00.
std::string firmware_text(const Bytes& image);
// The whole flash after that image was programmed into a blank one.
Bytes flash_after(const Bytes& image);

}  // namespace test_firmware
