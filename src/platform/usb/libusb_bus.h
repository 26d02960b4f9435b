// Real boards: the bus of the devices whose vendor/product ids are the bridge's, reached
// through a USB host (libusb-1.0 in the programs, a fake device in tests).
//
// Opening a board claims interface 0, finds its bulk endpoints and sends the bridge the
// requests that start its data path; closing sends the one that ends it, and a flush the one
// that empties the bridge's buffers. Bytes from the board are taken by bulk-IN transfers that
// are always in flight and land in the handle's receive queue (ReceiveQueue), where over-run
// means they were really lost.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/usb/bus.h"
#include "platform/usb/usb_host.h"
#include "platform/usb/usb_ids.h"

namespace usb {

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
    std::optional<host::DeviceEntry> board(std::uint32_t index);
    std::unique_ptr<host::Handle> open_handle(const host::DeviceEntry& d);
    void refused(const host::DeviceEntry& d, int result);
    void start_events();

    std::unique_ptr<host::Host> host_;
    std::vector<UsbId> ids_;
    Notice notice_;
    // Serial numbers by device (location and address), read once per attachment.
    std::map<std::string, std::string> serials_;
    std::set<std::string> told_;
    std::thread events_;
    std::atomic<bool> running_{false};
};

}  // namespace usb
