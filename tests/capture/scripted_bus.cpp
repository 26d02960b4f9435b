#include "scripted_bus.h"

#include <algorithm>

namespace testing_support {

namespace {
class ScriptedLink : public usb::Link {
  public:
    explicit ScriptedLink(ScriptedBus& bus) : bus_(bus) {}
    bool alive() override { return true; }
    usb::Sent send(const std::uint8_t* data, std::size_t n, std::uint32_t) override {
        std::vector<std::uint8_t> req(data, data + n);
        bus_.requests.push_back(req);
        if (bus_.on_request) bus_.on_request(req, bus_);
        return {n, false};
    }
    std::size_t queued() override {
        if (bus_.pending.empty() && bus_.refill) bus_.refill(bus_);
        return std::min(bus_.pending.size(), bus_.delivery_limit);
    }
    std::size_t receive(std::uint8_t* out, std::size_t max) override {
        bus_.largest_read = std::max(bus_.largest_read, max);
        const std::size_t n = std::min(max, queued());
        std::copy_n(bus_.pending.begin(), n, out);
        bus_.pending.erase(bus_.pending.begin(), bus_.pending.begin() + n);
        return n;
    }
    void purge() override {
        bus_.pending.clear();
        bus_.lost = false;
    }
    bool overrun() override { return bus_.lost; }

  private:
    ScriptedBus& bus_;
};
}  // namespace

std::unique_ptr<usb::Link> ScriptedBus::open(std::uint32_t) {
    return std::make_unique<ScriptedLink>(*this);
}

}  // namespace testing_support
