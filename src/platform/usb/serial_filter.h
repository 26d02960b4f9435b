// One board chosen by its serial number (--device SERIAL): a bus that shows only the devices of
// another bus whose serial number matches, so "open the last device" opens that board and a
// board-lost check notices when that board, not any board, has gone.
#pragma once

#include <string>
#include <vector>

#include "platform/usb/bus.h"

namespace usb {

class SerialFilter final : public Bus {
  public:
    // The inner bus must outlive the filter.
    SerialFilter(Bus& inner, std::string serial);

    std::uint32_t device_count() override;
    bool serial_number(std::uint32_t index, std::string* serial) override;
    std::optional<UsbId> usb_id(std::uint32_t index) override;
    std::unique_ptr<Link> open(std::uint32_t index) override;
    std::string source_name() const override { return inner_.source_name(); }

  private:
    // Indices on the inner bus of the matching devices.
    std::vector<std::uint32_t> matches();
    std::optional<std::uint32_t> inner_index(std::uint32_t index);

    Bus& inner_;
    std::string serial_;
};

}  // namespace usb
