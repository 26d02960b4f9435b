// The one board the program talks to at a time.
#pragma once

#include <cstdint>

#include "platform/usb/device_library.h"

namespace boardlink {

struct Connection {
    usb::SI_HANDLE cyHandle = 0;
    int usb_opened = 0;
    char DeviceString[256] = {};
    std::int8_t board_id = 0;  // board code reported by the board; 0 while none is connected
    // Reads the transport reported as failed; a failed read yields 0, which sequences that
    // write back what they read must not take for the register's value.
    unsigned read_failures = 0;
};

}  // namespace boardlink
