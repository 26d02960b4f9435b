#include "tests/platform/usb/emulated/emulated_bridge.h"

#include <umockdev.h>

#include <cstdio>
#include <stdexcept>

namespace usb_emulated {

namespace {

std::string hex_of(const std::vector<std::uint8_t>& bytes) {
    std::string s;
    char b[3];
    for (const std::uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02x", v);
        s += b;
    }
    return s;
}

}  // namespace

EmulatedBridge::EmulatedBridge() : testbed_(umockdev_testbed_new()) {}

EmulatedBridge::~EmulatedBridge() {
    g_object_unref(testbed_);
}

BridgeDevice& EmulatedBridge::plug(simboard::BoardConfig board, BridgeOptions options) {
    const int port = static_cast<int>(slots_.size()) + 1;
    const int address = port + 1;  // the root hub holds address 1
    char node[32];
    std::snprintf(node, sizeof node, "/dev/bus/usb/001/%03d", address);
    Slot slot{std::make_unique<BridgeDevice>(std::move(board), options), "", node};
    const std::string name = "1-" + std::to_string(port);
    slot.syspath = "/sys/devices/pci0000:00/0000:00:14.0/usb1/" + name;

    // The node's handler first, so that an opener never finds the node unanswered.
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed_, node, slot.device->handler(), &error)) {
        const std::string why = error ? error->message : "unknown";
        g_clear_error(&error);
        throw std::runtime_error("cannot attach the emulated bridge at " + std::string(node) +
                                 ": " + why);
    }
    const std::string a = std::to_string(address);
    const std::string text =
        "P: /devices/pci0000:00/0000:00:14.0/usb1/" + name + "\n" +  //
        "N: bus/usb/001/" + std::string(node + 17) + "\n" +
        "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DRIVER=usb\n" + "E: DEVNAME=" + node +
        "\nE: BUSNUM=001\nE: DEVNUM=" + std::string(node + 17) + "\n" +
        "A: busnum=1\\n\nA: devnum=" + a + "\\n\nA: bConfigurationValue=1\\n\n" +
        "A: speed=12\\n\nA: idVendor=10c4\\n\nA: idProduct=ea61\\n\n" +
        "A: serial=" + slot.device->serial() + "\\n\n" +
        "H: descriptors=" + hex_of(slot.device->descriptors()) + "\n";
    if (!umockdev_testbed_add_from_string(testbed_, text.c_str(), &error)) {
        const std::string why = error ? error->message : "unknown";
        g_clear_error(&error);
        throw std::runtime_error("cannot add the emulated bridge to sysfs: " + why);
    }
    slots_.push_back(std::move(slot));
    return *slots_.back().device;
}

void EmulatedBridge::remove_gone() {
    for (Slot& s : slots_) {
        if (s.removed || !s.device->gone()) continue;
        s.removed = true;
        umockdev_testbed_uevent(testbed_, s.syspath.c_str(), "remove");
        umockdev_testbed_remove_device(testbed_, s.syspath.c_str());
    }
}

}  // namespace usb_emulated
