// What the device library needs of a USB bus: the attached boards, their serial numbers, and
// a pipe to one of them. The simulated bus and a libusb bus implement it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/usb/usb_ids.h"

namespace usb {

// How an OUT transfer ended: `bytes` went out, fewer than asked when it timed out or failed.
struct Sent {
    std::size_t bytes = 0;
    bool timed_out = false;
};

// An open pipe to one attached device, with the host's receive queue for it. It dies for good
// when the device leaves the bus, even if the same board comes back later.
class Link {
  public:
    virtual ~Link() = default;
    virtual bool alive() = 0;
    // One OUT transfer, waiting at most the time-out for the device to take it.
    virtual Sent send(const std::uint8_t* data, std::size_t n, std::uint32_t timeout_ms) = 0;
    // Bytes waiting in the receive queue now.
    virtual std::size_t queued() = 0;
    // Takes up to max queued bytes, oldest first; never waits.
    virtual std::size_t receive(std::uint8_t* out, std::size_t max) = 0;
    // Empties the receive queue, drops what the device still holds and forgets an over-run.
    virtual void purge() = 0;
    // True once bytes were lost since the last purge: the queue was full when they came, or
    // the device reported the loss.
    virtual bool overrun() = 0;
};

class Bus {
  public:
    virtual ~Bus() = default;
    virtual std::uint32_t device_count() = 0;
    // Serial-number string of the device at the index (0 .. device_count() - 1).
    virtual bool serial_number(std::uint32_t index, std::string* serial) = 0;
    // Vendor and product id of the device at the index; none when it is absent.
    virtual std::optional<UsbId> usb_id(std::uint32_t index) = 0;
    // Opens the device at the index; null when it is absent, already open or refused.
    virtual std::unique_ptr<Link> open(std::uint32_t index) = 0;
    // Where the boards come from, as the setup panel's data-source ring names it.
    virtual std::string source_name() const { return "USB board"; }
};

}  // namespace usb
