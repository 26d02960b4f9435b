// Real boards: the bus of the devices whose vendor/product ids are the bridge's, reached
// through a USB host (libusb-1.0 in the programs, a fake device in tests).
//
// device_count() takes a snapshot of the boards; serial_number(), usb_id() and open() name its
// entries, so the serial number read and the handle opened are the same device's, and a board
// that left (or left and came back) since is not opened in its place.
//
// Opening a board claims interface 0, finds its bulk endpoints and sends the bridge the
// requests that start its data path; closing sends the one that ends it, and a flush the one
// that empties the bridge's buffers. The open board's data path is a pipe (LibusbPipe) that
// the bus owns: a link that closes while some of its transfers are still out leaves it to the
// bus, which frees it once they are back, or when the bus goes.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/usb/bus.h"
#include "platform/usb/usb_host.h"
#include "platform/usb/usb_ids.h"

namespace usb {

class LibusbPipe;

class LibusbBus final : public Bus {
  public:
    // ids: which devices are boards (board_ids()). notice: told once per attached device why it
    // could not be opened when a person can mend it (permission, another program).
    LibusbBus(std::unique_ptr<host::Host> host, std::vector<UsbId> ids, Notice notice = {});
    // Links must be gone first; stops the event thread.
    ~LibusbBus() override;

    std::uint32_t device_count() override;
    bool serial_number(std::uint32_t index, std::string* serial) override;
    std::optional<UsbId> usb_id(std::uint32_t index) override;
    std::unique_ptr<Link> open(std::uint32_t index) override;

  private:
    class LibusbLink;

    std::vector<host::DeviceEntry> boards();
    // The snapshot's entry; the first call without one takes it.
    const host::DeviceEntry* board(std::uint32_t index);
    std::unique_ptr<host::Handle> open_handle(const host::DeviceEntry& d);
    void refused(const host::DeviceEntry& d, int result);
    void start_events();
    // On the event thread between waits: the retries that are due, and the left pipes whose
    // transfers are back. Returns how long the next wait may last.
    int service();
    // A link's end: the pipe is freed at once when its transfers came back, else left.
    void close(LibusbPipe* pipe);

    std::unique_ptr<host::Host> host_;
    std::vector<UsbId> ids_;
    Notice notice_;
    std::optional<std::vector<host::DeviceEntry>> snapshot_;
    // The pipes of open links, and those left with transfers still out.
    std::mutex pipes_mutex_;
    std::vector<std::unique_ptr<LibusbPipe>> pipes_;
    std::vector<std::unique_ptr<LibusbPipe>> left_;
    // Serial numbers by device (location and address), read once per attachment.
    std::map<std::string, std::string> serials_;
    std::set<std::string> told_;
    std::thread events_;
    std::atomic<bool> running_{false};
};

}  // namespace usb
