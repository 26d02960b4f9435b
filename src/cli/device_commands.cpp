#include "cli/device_commands.h"

#include <cctype>
#include <string>

#include "cli/command.h"
#include "platform/usb/device_library.h"
#include "shell/app.h"

namespace cli {

namespace {

// A string the device library gives for a device; "?" when it cannot (the serial number of a
// device the program may not open).
std::string product_string(usb::DeviceLibrary& lib, std::uint32_t index, std::uint32_t what) {
    char buf[usb::kProductStringBytes] = {};
    return lib.SI_GetProductString(index, buf, what) == usb::SI_SUCCESS ? std::string(buf) : "?";
}

// Index, serial number and vendor:product id of every board, in the library's order: the
// connect command opens the last of them.
Result devices(Context& c, const std::vector<std::string>& a) {
    if (a.size() != 1) return usage_error("usage: devices");
    std::uint32_t n = 0;
    if (c.app.usb.SI_GetNumDevices(&n) != usb::SI_SUCCESS)
        return failure("the USB device library cannot count the devices");
    Result r;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::string serial = product_string(c.app.usb, i, usb::SI_RETURN_SERIAL_NUMBER);
        std::string id = product_string(c.app.usb, i, usb::SI_RETURN_VID) + ":" +
                         product_string(c.app.usb, i, usb::SI_RETURN_PID);
        for (char& ch : id) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        list.push_back({{"index", i}, {"serial", serial}, {"id", id}});
        r.lines.emplace_back(std::to_string(i), serial + "  " + id);
    }
    r.data["devices"] = list;
    if (n == 0) r.lines.emplace_back("devices", "none");
    return r;
}

}  // namespace

void add_device_commands() {
    commands()["devices"] = {"devices",
                             "list the boards attached (index, serial number, vendor:product); "
                             "connect opens the last, or the one --device names",
                             devices};
}

}  // namespace cli
