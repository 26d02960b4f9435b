// The USB host calls the libusb bus makes, and nothing more, in libusb's own terms but without
// its header: results are 0 or one of libusb's negative error codes, transfers end with one of
// its transfer statuses. The program's host wraps libusb-1.0 (libusb_host.h); tests put a fake
// device behind this seam to play packets, stalls, disconnects and short writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/usb/usb_ids.h"

namespace usb::host {

// libusb's error codes, with the same values.
enum Result : int {
    kOk = 0,
    kIo = -1,
    kInvalidParam = -2,
    kAccess = -3,
    kNoDevice = -4,
    kNotFound = -5,
    kBusy = -6,
    kTimeout = -7,
    kOverflow = -8,
    kPipe = -9,
    kInterrupted = -10,
    kNoMem = -11,
    kNotSupported = -12,
    kOther = -99,
};

// How a transfer ended, in the order of libusb's transfer statuses.
enum class TransferEnd { Completed, Error, TimedOut, Cancelled, Stall, NoDevice, Overflow };

// One attached device as the bus lists it; nothing is opened to learn this.
struct DeviceEntry {
    std::string location;      // bus and port path, "1-1.4"
    std::uint8_t address = 0;  // changes each time a device joins the bus
    UsbId id;
};

// The bulk endpoints of an interface's first setting: their addresses and the largest packet
// each takes (wMaxPacketSize: 64 bytes at full speed, 512 at high speed).
struct BulkEndpoints {
    std::uint8_t in = 0;
    std::uint8_t out = 0;
    std::size_t in_max_packet = 0;
    std::size_t out_max_packet = 0;
};

// Called from the host's event handling when an IN transfer ends, with what it received.
using InDone = std::function<void(TransferEnd end, const std::uint8_t* data, std::size_t n)>;

// One bulk-IN transfer that can be submitted again after each completion.
class InTransfer {
  public:
    // Only once it is no longer in flight, or once its handle is gone (closing a handle takes
    // its transfers off the host, and their completions never come).
    virtual ~InTransfer() = default;
    virtual int submit() = 0;
    // Asks for the end of a transfer in flight; its completion follows.
    virtual void cancel() = 0;
};

// An open device. Destroying it releases its interface and closes it; transfers still in
// flight on it end there, without a completion.
class Handle {
  public:
    virtual ~Handle() = default;
    // The string descriptor the device descriptor names as its serial number.
    virtual int serial_number(std::string* out) = 0;
    virtual int claim_interface(int number) = 0;
    virtual int bulk_endpoints(int interface, BulkEndpoints* out) = 0;
    virtual int clear_halt(std::uint8_t endpoint) = 0;
    // A vendor request to the device with no data stage.
    virtual int vendor_out(std::uint8_t request, std::uint16_t value, std::uint32_t timeout_ms) = 0;
    virtual int bulk_out(std::uint8_t endpoint, const std::uint8_t* data, std::size_t n,
                         std::size_t* sent, std::uint32_t timeout_ms) = 0;
    virtual std::unique_ptr<InTransfer> in_transfer(std::uint8_t endpoint, std::size_t size,
                                                    InDone done) = 0;
};

class Host {
  public:
    virtual ~Host() = default;
    virtual int devices(std::vector<DeviceEntry>* out) = 0;
    // Opens exactly that device (location, address and id): kNoDevice when it has left the bus,
    // even if another device now has its place.
    virtual int open(const DeviceEntry& device, std::unique_ptr<Handle>* out) = 0;
    // Runs the completions of ended transfers, waiting up to the time-out for one. Only the
    // bus's event thread calls it.
    virtual void handle_events(int timeout_ms) = 0;
};

}  // namespace usb::host
