#include "platform/usb/usb_ids.h"

#include <algorithm>
#include <cstdio>

namespace usb {

namespace {

std::optional<std::uint16_t> parse_half(std::string s) {
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s = s.substr(2);
    if (s.empty() || s.size() > 4) return std::nullopt;
    unsigned v = 0;
    for (char c : s) {
        int d = -1;
        if (c >= '0' && c <= '9') d = c - '0';
        if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        if (d < 0) return std::nullopt;
        v = v * 16 + static_cast<unsigned>(d);
    }
    return static_cast<std::uint16_t>(v);
}

}  // namespace

std::optional<UsbId> parse_usb_id(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) return std::nullopt;
    const auto vendor = parse_half(text.substr(0, colon));
    const auto product = parse_half(text.substr(colon + 1));
    if (!vendor || !product) return std::nullopt;
    return UsbId{*vendor, *product};
}

std::string usb_id_text(const UsbId& id) {
    char s[10];
    std::snprintf(s, sizeof s, "%04x:%04x", id.vendor, id.product);
    return s;
}

std::vector<UsbId> board_ids(const std::vector<UsbId>& extra) {
    std::vector<UsbId> ids{kBridgeId};
    for (const UsbId& id : extra)
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    return ids;
}

}  // namespace usb
