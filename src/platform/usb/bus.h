// What the device library needs of a USB bus: the attached boards, their serial numbers, and
// a pipe to one of them. The simulated bus and a libusb bus implement it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace usb {

// An open pipe to one attached device. It dies for good when the device leaves the bus,
// even if the same board comes back later.
class Link {
  public:
    virtual ~Link() = default;
    virtual bool alive() = 0;
    // One OUT transfer; false when the device did not take it within the time-out.
    virtual bool send(const std::uint8_t* data, std::size_t n, std::uint32_t timeout_ms) = 0;
    // Bytes the device has ready now, up to max; never waits.
    virtual std::size_t receive(std::uint8_t* out, std::size_t max) = 0;
    // Drops what the device has not yet delivered.
    virtual void purge() = 0;
    // True while the device reports that data were lost before the host took them.
    virtual bool overrun() = 0;
};

class Bus {
  public:
    virtual ~Bus() = default;
    virtual std::uint32_t device_count() = 0;
    // Serial-number string of the device at the index (0 .. device_count() - 1).
    virtual bool serial_number(std::uint32_t index, std::string* serial) = 0;
    // Opens the device at the index; null when it is absent or already open.
    virtual std::unique_ptr<Link> open(std::uint32_t index) = 0;
};

}  // namespace usb
