// The simulated bus: zero or more simulated boards, which a test can plug in and pull out at
// any moment (SimBoard::unplug / plug). Boards are listed in the order they were added,
// skipping those not on the bus. Each open board has a driver's receive queue of the usual
// size: bytes wait there while the program is busy and are lost only when it is full.
#pragma once

#include <memory>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/simboard/sim_board.h"
#include "platform/usb/bus.h"

namespace usb {

class SimBus final : public Bus {
  public:
    explicit SimBus(platform::Clock& clock);
    ~SimBus() override;

    // Adds a board, plugged in; the reference stays valid for the bus's lifetime.
    simboard::SimBoard& add_board(simboard::BoardConfig config = {});

    std::uint32_t device_count() override;
    bool serial_number(std::uint32_t index, std::string* serial) override;
    std::optional<UsbId> usb_id(std::uint32_t index) override;
    std::unique_ptr<Link> open(std::uint32_t index) override;
    std::string source_name() const override { return "Simulated board"; }

  private:
    struct Slot;
    class SimLink;

    Slot* present(std::uint32_t index);

    platform::Clock& clock_;
    std::vector<std::unique_ptr<Slot>> slots_;
};

}  // namespace usb
