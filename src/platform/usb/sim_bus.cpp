#include "platform/usb/sim_bus.h"

#include "platform/usb/receive_queue.h"

namespace usb {

struct SimBus::Slot {
    explicit Slot(platform::Clock& clock, simboard::BoardConfig config)
        : board(clock, std::move(config)) {}
    simboard::SimBoard board;
    SimLink* owner = nullptr;  // the link holding the board open, if any
};

class SimBus::SimLink final : public Link {
  public:
    explicit SimLink(Slot& slot) : slot_(slot), attachment_(slot.board.attachment()) {
        slot_.owner = this;
    }
    ~SimLink() override {
        if (slot_.owner == this) slot_.owner = nullptr;
    }

    bool alive() override {
        return slot_.board.on_bus() && slot_.board.attachment() == attachment_;
    }

    // The simulated board takes every transfer at once, so the time-out never runs.
    Sent send(const std::uint8_t* data, std::size_t n, std::uint32_t /*timeout_ms*/) override {
        if (!alive()) return {};
        slot_.board.host_write(data, n);
        return {n, false};
    }

    std::size_t queued() override {
        take_delivered();
        return queue_.size();
    }

    std::size_t receive(std::uint8_t* out, std::size_t max) override {
        take_delivered();
        return queue_.pop(out, max);
    }

    void purge() override {
        if (alive()) slot_.board.purge_output();
        queue_.clear();
    }

    bool overrun() override {
        take_delivered();
        return queue_.lost() > 0 || (alive() && slot_.board.faults().rx_overrun);
    }

  private:
    // Everything the board has sent since the last look goes into the queue, as a driver
    // would have taken it meanwhile; what does not fit is lost there.
    void take_delivered() {
        if (!alive()) return;
        std::uint8_t chunk[4096];
        while (const std::size_t got = slot_.board.host_read(chunk, sizeof chunk))
            queue_.push(chunk, got);
    }

    Slot& slot_;
    std::uint64_t attachment_;
    ReceiveQueue queue_;
};

SimBus::SimBus(platform::Clock& clock) : clock_(clock) {}

SimBus::~SimBus() = default;

simboard::SimBoard& SimBus::add_board(simboard::BoardConfig config) {
    slots_.push_back(std::make_unique<Slot>(clock_, std::move(config)));
    return slots_.back()->board;
}

SimBus::Slot* SimBus::present(std::uint32_t index) {
    std::uint32_t seen = 0;
    for (auto& slot : slots_) {
        if (!slot->board.on_bus()) continue;
        if (seen++ == index) return slot.get();
    }
    return nullptr;
}

std::uint32_t SimBus::device_count() {
    std::uint32_t n = 0;
    for (auto& slot : slots_) n += slot->board.on_bus() ? 1 : 0;
    return n;
}

std::optional<UsbId> SimBus::usb_id(std::uint32_t index) {
    if (present(index) == nullptr) return std::nullopt;
    return kBridgeId;
}

bool SimBus::serial_number(std::uint32_t index, std::string* serial) {
    Slot* slot = present(index);
    if (slot == nullptr) return false;
    *serial = slot->board.serial();
    return true;
}

std::unique_ptr<Link> SimBus::open(std::uint32_t index) {
    Slot* slot = present(index);
    if (slot == nullptr) return nullptr;
    if (slot->owner != nullptr && slot->owner->alive()) return nullptr;
    return std::make_unique<SimLink>(*slot);
}

}  // namespace usb
