// The bridge's vendor requests, none with a data stage: the reset of its data path, and the
// control request whose value starts the data path, empties its buffers or ends it.
#pragma once

#include <cstdint>

namespace usb::bridge {

inline constexpr std::uint8_t kResetRequest = 0x00;
inline constexpr std::uint16_t kResetValue = 0xFFFF;
inline constexpr std::uint8_t kControlRequest = 0x02;
inline constexpr std::uint16_t kPurge = 0x0001;
inline constexpr std::uint16_t kEnable = 0x0002;
inline constexpr std::uint16_t kDisable = 0x0004;
inline constexpr std::uint32_t kControlTimeoutMs = 1000;

}  // namespace usb::bridge
