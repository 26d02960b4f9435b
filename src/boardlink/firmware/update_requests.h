// The MCU's update requests as exchanges: each writes its frame without a flush, waits the
// settle delay, then polls with a fractional limit. The status forms say why an exchange
// failed; the integer forms answer 1 or 0.
#pragma once

#include <cstdint>

#include "boardlink/transport/port.h"
#include "boardlink/transport/protocol.h"
#include "core/status.h"

namespace boardlink {

core::Status enter_update(Port& port);
core::Status erase_page(Port& port, std::uint16_t address);
// The announcement of 64 bytes at the address.
core::Status program_page(Port& port, std::uint16_t address);
// The 64 bytes themselves: accepted once a reply 0B 00 arrives within 20 s of the write;
// other replies are dropped and the wait goes on.
core::Status program_data(Port& port, const FlashData& data);

// 1 when the MCU confirmed update mode (09 00) within 5.0 s.
int flash_enter_update(Port& port);
// 1 when the erase of the page at the address was confirmed (0A 00) within 10.0 s.
int flash_erase_page(Port& port, std::uint16_t address);
// 1 when the MCU accepted 64 bytes at the address (0B 00) within 5.0 s.
int flash_program_page(Port& port, std::uint16_t address);

}  // namespace boardlink
