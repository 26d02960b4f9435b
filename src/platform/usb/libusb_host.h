// The USB host on libusb-1.0: the only code of the project that includes libusb's header.
#pragma once

#include <memory>
#include <vector>

#include "platform/usb/bus.h"
#include "platform/usb/usb_host.h"
#include "platform/usb/usb_ids.h"

namespace usb {

// A host on its own libusb context. When libusb cannot start, it lists no devices.
std::unique_ptr<host::Host> make_libusb_host();

// The bus of real boards with these ids (board_ids()), on a libusb host.
std::unique_ptr<Bus> make_libusb_bus(const std::vector<UsbId>& ids, Notice notice);

}  // namespace usb
