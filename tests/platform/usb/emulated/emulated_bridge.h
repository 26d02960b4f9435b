// A USB bus of emulated bridges under the kernel's usbdevfs interface, in a umockdev testbed:
// libusb in this process, and in any process it starts with libumockdev-preload loaded
// (child_run.h does that), enumerates them through sysfs and talks to them through their
// device nodes as it would to real boards.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/platform/usb/emulated/bridge_device.h"

using UMockdevTestbed = struct _UMockdevTestbed;

namespace usb_emulated {

class EmulatedBridge {
  public:
    // An empty bus in a testbed of its own; this process and its children see it.
    EmulatedBridge();
    ~EmulatedBridge();
    EmulatedBridge(const EmulatedBridge&) = delete;
    EmulatedBridge& operator=(const EmulatedBridge&) = delete;

    // Plugs a bridge with this board behind it into the next port of bus 1.
    BridgeDevice& plug(simboard::BoardConfig board, BridgeOptions options = {});
    // Takes the devices that left the bus out of sysfs with a remove event, as the kernel
    // does once a device is gone.
    void remove_gone();

  private:
    struct Slot {
        std::unique_ptr<BridgeDevice> device;
        std::string syspath;
        std::string node;
        bool removed = false;
    };

    UMockdevTestbed* testbed_;
    std::vector<Slot> slots_;
};

}  // namespace usb_emulated
