// Runs a program to its end on the emulated bus: with libumockdev-preload loaded, so that its
// libusb sees the testbed, while this process keeps the bus going (devices that left it are
// taken out of sysfs as they go).
#pragma once

#include <string>
#include <vector>

#include "tests/platform/usb/emulated/emulated_bridge.h"

namespace usb_emulated {

struct ChildResult {
    int status = -1;         // exit status; 128 + N when killed by signal N
    bool timed_out = false;  // killed for outliving the limit (a hang)
    double seconds = 0;      // how long it ran
    std::string out;
    std::string err;
};

// LD_PRELOAD as it must be for a process on the emulated bus: umockdev's library first.
std::string umockdev_preload_list();

// program and args are as for execvp; the child's output is collected, not shown.
ChildResult run_on_bus(EmulatedBridge& bus, const std::vector<std::string>& argv,
                       double limit_seconds);

}  // namespace usb_emulated
