// The one board the program talks to at a time.
#pragma once

#include <cstdint>
#include <string>

#include "platform/usb/device_library.h"

namespace boardlink {

struct Connection {
    usb::SI_HANDLE cyHandle = 0;
    int usb_opened = 0;
    char DeviceString[256] = {};
    std::int8_t board_id = 0;  // board code reported by the board; 0 while none is connected
    // The names the setup panel shows for the board and its firmware; empty while none.
    std::string board_name;
    std::string firmware;
};

}  // namespace boardlink
