// A USB host with fake devices behind the libusb bus's seam. A device answers what the bus asks
// (serial number, endpoints, vendor requests, OUT transfers) as a test set it up, and sends
// IN data as packets of its endpoint's size into whatever transfers the bus keeps in flight;
// packets that find none wait in the device, as a real one is held off. Completions run on the
// bus's event thread; settle() waits until it has run every one that is due. Closing a handle
// takes its transfers off the host without a completion, as libusb does.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/usb/usb_host.h"

namespace usb_test {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kIn = 0x82;
constexpr std::uint8_t kOut = 0x02;
constexpr std::size_t kPacket = 64;

struct FakeDevice {
    usb::host::DeviceEntry entry;
    std::string serial = "FAKE0001";
    // What opening, claiming and the enable request answer.
    int open_result = usb::host::kOk;
    int claim_result = usb::host::kOk;
    int enable_result = usb::host::kOk;
    bool has_bulk_endpoints = true;
    std::size_t max_packet = kPacket;  // both bulk endpoints'
    // Cancelled IN transfers stay in flight (and may still take packets) until
    // finish_cancels().
    bool cancels_held = false;
    // OUT transfers: the result, and how many bytes the device takes of each at most.
    int out_result = usb::host::kOk;
    std::size_t out_accepts = std::numeric_limits<std::size_t>::max();

    // What the device saw, in order: "open", "claim 0", "vendor 00 ffff", "halt 82", "write".
    std::vector<std::string> log;
    std::vector<Bytes> written;  // one entry per OUT transfer, a zero-length packet empty
    int opens = 0;
    int in_submissions = 0;
    int handles = 0;  // open now

    bool attached = true;
    bool in_halted = false;
    bool in_failing = false;  // every IN transfer submitted ends in error
    std::deque<Bytes> held;   // IN packets no transfer was there to take
};

class FakeHost final : public usb::host::Host {
  public:
    FakeHost() = default;
    ~FakeHost() override;

    // Adds an attached device; the reference stays valid for the host's lifetime.
    FakeDevice& add(usb::UsbId id, std::string location, std::string serial = "FAKE0001");

    // The device sends these bytes, in 64-byte packets and a short last one.
    void send_in(FakeDevice& d, const Bytes& bytes);
    // The device halts its IN endpoint: transfers in flight end with a stall.
    void stall_in(FakeDevice& d);
    // The device leaves the bus: transfers in flight end, every later call fails.
    void unplug(FakeDevice& d);
    // Transfers in flight end in error; with for_good every later one does too (a device that
    // browned out and no longer answers, though the bus still lists it).
    void fail_in(FakeDevice& d, bool for_good);
    // Ends the device's transfers whose cancel was held, as cancelled.
    void finish_cancels(FakeDevice& d);
    // Lists the attached devices in the reverse order from now on (a hub that enumerates anew).
    void reverse_order();
    // Waits until every completion due has run on the event thread; false after 30 s
    // (a hang, not a timing).
    bool settle();
    // Waits until done() holds, asking again after each event or millisecond; false after
    // 30 s. done() runs without the host's lock.
    bool until(const std::function<bool()>& done);
    // IN transfers in flight on the device, and its handles open.
    std::size_t in_flight(const FakeDevice& d);
    int handles(const FakeDevice& d);

    int devices(std::vector<usb::host::DeviceEntry>* out) override;
    int open(const usb::host::DeviceEntry& device,
             std::unique_ptr<usb::host::Handle>* out) override;
    void handle_events(int timeout_ms) override;

  private:
    class Handle;
    class Transfer;
    friend class Handle;
    friend class Transfer;

    struct Due {
        Transfer* transfer;
        usb::host::TransferEnd how;
    };

    // Under the lock.
    void feed(FakeDevice& d);
    void end(Transfer* t, usb::host::TransferEnd how);
    void forget(const Handle* h);

    std::mutex m_;
    std::condition_variable cv_;
    std::vector<std::unique_ptr<FakeDevice>> devices_;
    std::deque<Transfer*> in_flight_;
    std::deque<Due> completions_;
    bool running_ = false;
};

}  // namespace usb_test
