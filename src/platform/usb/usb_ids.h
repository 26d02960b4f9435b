// Which USB devices are boards: vendor/product id pairs, the bridge's stock pair first, and
// the "VID:PID" text a person gives on the command line to add another.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace usb {

struct UsbId {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    friend bool operator==(const UsbId&, const UsbId&) = default;
};

// The ids the board's USB bridge comes with.
inline constexpr UsbId kBridgeId{0x10C4, 0xEA61};

// "10c4:ea61" (hexadecimal, either case, an optional 0x on each half); none when malformed.
std::optional<UsbId> parse_usb_id(const std::string& text);
// "10c4:ea61"
std::string usb_id_text(const UsbId& id);
// The stock id followed by the extra ones, each once.
std::vector<UsbId> board_ids(const std::vector<UsbId>& extra);

// Where a bus tells a person about a problem they can fix (a missing permission).
using Notice = std::function<void(const std::string&)>;

}  // namespace usb
