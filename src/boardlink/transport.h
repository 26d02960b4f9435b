// Framed request/response exchanges with the board's MCU: one 15-byte request, one 7-byte
// reply, one request in flight.
#pragma once

#include <cstdint>

#include "core/status.h"

class App;

namespace boardlink {

inline constexpr int kRequestBytes = 15;
inline constexpr int kReplyBytes = 7;
inline constexpr int kMaxSpiWriteBytes = 9;
inline constexpr double kSettleDelay = 0.1;

// 1 when the device's serial number was read and the device opened.
int Open_Device(App& app, int index);
// The SPI write exchange: success when the board acknowledged; no message is shown.
core::Status spi_write(App& app, int n, int address, const int* data);
// The SPI read exchange: the 24-bit word into *value (0 on failure). A failure greys the board
// commands and shows its message, as every read of the port does, and is returned as well.
core::Status spi_read(App& app, int address, int* value);

// 1 when the board acknowledged the SPI write of n bytes (1..9) at the port address.
std::int8_t USB_write(App& app, int n, int address, const int* data);
// The 24-bit word at the port address, not sign-extended; 0 after a reported failure.
int USB_read(App& app, int address);
std::int8_t SPI_write(App& app, int n, int address, const int* data);
int SPI_read(App& app, int n, int address);
// info and version are 100-byte buffers. 1 when all three queries were answered.
int USB_GetTargetInfo(App& app, char* info, char* version, std::int8_t* board_id);
void USB_softReset_target(App& app);
// 1 when the skip-complete reply arrived within limit + 5 s.
int wait_capture_reply(App& app, double limit);

// Greys the setup panel's board commands after a failed read (the second capture control
// among them).
void dim_board_commands(App& app);

}  // namespace boardlink
