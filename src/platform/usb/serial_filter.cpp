#include "platform/usb/serial_filter.h"

namespace usb {

SerialFilter::SerialFilter(Bus& inner, std::string serial)
    : inner_(inner), serial_(std::move(serial)) {}

std::vector<std::uint32_t> SerialFilter::matches() {
    std::vector<std::uint32_t> out;
    const std::uint32_t n = inner_.device_count();
    for (std::uint32_t i = 0; i < n; ++i) {
        std::string s;
        if (inner_.serial_number(i, &s) && s == serial_) out.push_back(i);
    }
    return out;
}

std::optional<std::uint32_t> SerialFilter::inner_index(std::uint32_t index) {
    const auto m = matches();
    if (index >= m.size()) return std::nullopt;
    return m[index];
}

std::uint32_t SerialFilter::device_count() {
    return static_cast<std::uint32_t>(matches().size());
}

bool SerialFilter::serial_number(std::uint32_t index, std::string* serial) {
    if (!inner_index(index)) return false;
    *serial = serial_;
    return true;
}

std::optional<UsbId> SerialFilter::usb_id(std::uint32_t index) {
    const auto i = inner_index(index);
    return i ? inner_.usb_id(*i) : std::nullopt;
}

std::unique_ptr<Link> SerialFilter::open(std::uint32_t index) {
    const auto i = inner_index(index);
    return i ? inner_.open(*i) : nullptr;
}

}  // namespace usb
