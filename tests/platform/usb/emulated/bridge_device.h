// One emulated USB bridge as the kernel's usbdevfs interface shows it to libusb: the
// bridge's descriptors (serial string included), a kernel serial driver bound to interface 0
// until a claim detaches it, the bridge's three vendor requests (anything else STALLs, the
// reset request included, as real bridges do), bulk URBs with a simulated board behind them,
// zero-length packets, halts and their clearing, discards, and unplugging. It answers the
// ioctls umockdev forwards from the process that opened the device node.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/simboard/sim_board.h"

using UMockdevIoctlBase = struct _UMockdevIoctlBase;
using UMockdevIoctlClient = struct _UMockdevIoctlClient;
using UMockdevIoctlData = struct _UMockdevIoctlData;

namespace usb_emulated {

struct BridgeOptions {
    std::uint8_t in_endpoint = 0x82;
    std::uint8_t out_endpoint = 0x02;
    std::uint16_t max_packet = 64;
    // After every IN packet of the full size the device sends a zero-length packet.
    bool zlp_after_full = false;
    // The IN endpoint halts when this many IN packets with data have gone (-1: never); it
    // stays halted until the host clears it, holding the board's bytes back meanwhile.
    long stall_in_after = -1;
    // The device leaves the bus when this many IN packets with data have gone (-1: never).
    long unplug_after = -1;
};

class BridgeDevice {
  public:
    BridgeDevice(simboard::BoardConfig board, BridgeOptions options);
    ~BridgeDevice();
    BridgeDevice(const BridgeDevice&) = delete;
    BridgeDevice& operator=(const BridgeDevice&) = delete;

    // The handler umockdev attaches to the device node.
    UMockdevIoctlBase* handler() { return handler_; }
    // The sysfs "descriptors" attribute: device descriptor, then the configuration.
    std::vector<std::uint8_t> descriptors() const;
    const BridgeOptions& options() const { return options_; }
    const std::string& serial() const { return board_.serial(); }

    // The device leaves the bus: URBs in flight end with -ESHUTDOWN, every later call fails
    // with ENODEV.
    void unplug();
    bool gone();
    // What the device saw, in order: "driver detached", "claim 0", "vendor 02 0002",
    // "stall 00 ffff", "out 7", "zlp out", "clear halt 82", "driver attached", "unplugged".
    std::vector<std::string> log();
    // IN packets with data the device has sent.
    long in_packets();

  private:
    struct Urb;
    struct Client;

    bool handle(UMockdevIoctlClient* client);
    int submit(Client& c, UMockdevIoctlData* arg);
    int reap(Client& c, UMockdevIoctlData* arg);
    int discard(Client& c, unsigned long address);
    void control(Urb& u);
    void bulk_out(Urb& u);
    void serve_in(Client& c);
    void unplug_locked();
    void note(std::string what);

    static int on_ioctl(UMockdevIoctlBase* base, UMockdevIoctlClient* client, void* self);
    static void on_vanished(UMockdevIoctlBase* base, UMockdevIoctlClient* client, void* self);

    BridgeOptions options_;
    platform::RealClock clock_;
    simboard::SimBoard board_;
    UMockdevIoctlBase* handler_;
    std::mutex m_;
    std::map<UMockdevIoctlClient*, std::unique_ptr<Client>> clients_;
    std::vector<std::string> log_;
    bool driver_bound_ = true;
    bool in_halted_ = false;
    bool gone_ = false;
    long in_packets_ = 0;
    // OUT bytes of a write that ended on a full packet: the bridge's firmware completes such
    // a read only at the next packet or a zero-length one.
    std::vector<std::uint8_t> held_out_;
};

}  // namespace usb_emulated
