// A bus with one device whose replies a test scripts byte for byte, for the cases a real
// board produces only by accident (lost bytes, more records than the buffer holds).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/usb/bus.h"

namespace testing_support {

class ScriptedBus : public usb::Bus {
  public:
    // Called for every request block the host writes; it may queue reply bytes.
    std::function<void(const std::vector<std::uint8_t>& request, ScriptedBus& bus)> on_request;
    // Bytes the device has ready; a test may also fill this lazily through `refill`.
    std::deque<std::uint8_t> pending;
    // Called whenever the host looks for bytes and nothing is pending.
    std::function<void(ScriptedBus& bus)> refill;
    std::vector<std::vector<std::uint8_t>> requests;
    // How many bytes one look at the queue may show at most.
    std::size_t delivery_limit = 1000;
    // The queue reports lost bytes (status ready with over-run).
    bool lost = false;
    // The most bytes the host asked for in one read.
    std::size_t largest_read = 0;

    void reply(std::initializer_list<std::uint8_t> bytes) { pending.insert(pending.end(), bytes); }

    std::uint32_t device_count() override { return 1; }
    bool serial_number(std::uint32_t, std::string* s) override {
        *s = "SCRIPT1";
        return true;
    }
    std::optional<usb::UsbId> usb_id(std::uint32_t) override { return usb::kBridgeId; }
    std::unique_ptr<usb::Link> open(std::uint32_t index) override;
};

}  // namespace testing_support
