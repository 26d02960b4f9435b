// What every exchange with the board needs, and nothing more: the device library, the open
// board, the program's clock and the one reaction the layers above install. The application
// builds it; the transport reaches no panel, popup or application state through it.
#pragma once

#include <functional>

#include "boardlink/transport/connection.h"
#include "core/status.h"
#include "platform/usb/device_library.h"

namespace boardlink {

struct Port {
    usb::DeviceLibrary& usb;
    Connection& link;
    // Seconds on the program's clock, the one every wait measures with.
    std::function<double()> timer;
    // The settle delay. The panel run-time's own keeps a window repainting while it waits.
    std::function<void(double)> delay;
    // Told of every failed SPI read, after the read has ended; may be empty.
    std::function<void(const core::Status&)> on_read_failure;
    // Asked as a stream's records arrive: true when the person asked to stop (a Cancel button,
    // Ctrl-C). May be empty.
    std::function<bool()> stop_requested;
};

// A failed read as the hook is told of it. The hook shows the message, so the outcome handed
// back then carries none, and no caller shows it a second time; without a hook it keeps it.
inline core::Status read_failed(Port& port, const core::Status& s) {
    if (!port.on_read_failure) return s;
    port.on_read_failure(s);
    return s.with_message({}, {});
}

}  // namespace boardlink
