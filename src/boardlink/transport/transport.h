// Framed request/response exchanges with the board's MCU: one 15-byte request, one 7-byte
// reply, one request in flight.
#pragma once

#include <cstdint>

#include "boardlink/transport/port.h"
#include "core/status.h"

namespace boardlink {

// 1 when the device's serial number was read and the device opened.
int Open_Device(Port& port, int index);
// The SPI write exchange: success when the board acknowledged; no message is shown.
core::Status spi_write(Port& port, int n, int address, const int* data);
// The SPI read exchange: the 24-bit word into *value (0 on failure). A failure is reported to
// the port's read-failure hook with the message the person is shown for it (read_failed).
core::Status spi_read(Port& port, int address, int* value);

// 1 when the board acknowledged the SPI write of n bytes (1..9) at the port address.
std::int8_t USB_write(Port& port, int n, int address, const int* data);
// The 24-bit word at the port address, not sign-extended; 0 after a reported failure.
int USB_read(Port& port, int address);
std::int8_t SPI_write(Port& port, int n, int address, const int* data);
int SPI_read(Port& port, int n, int address);
// info and version are 100-byte buffers. 1 when all three queries were answered.
int USB_GetTargetInfo(Port& port, char* info, char* version, std::int8_t* board_id);
void USB_softReset_target(Port& port);
// 1 when the skip-complete reply arrived within limit + 5 s.
int wait_capture_reply(Port& port, double limit);

}  // namespace boardlink
