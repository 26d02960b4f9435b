#include "debugtools/debugtools.h"

#include "chip/registers.h"
#include "debugtools/context.h"
#include "debugtools/eeprom_tools.h"
#include "debugtools/pins.h"
#include "debugtools/ram_download.h"

namespace debugtools {

namespace {

core::Status filter_command(const Context& cx, int command) {
    int zero = 0;
    return chip::dsp_command(cx.port, command, &zero, &zero, false);
}

}  // namespace

core::Status start_filter(const Context& cx) {
    return filter_command(cx, chip::FL_START);
}

core::Status stop_filter(const Context& cx) {
    return filter_command(cx, chip::FL_STOP);
}

// Nothing is shown for either: the filter's state shows in the captured data.
int start_filter_cmd(const Context& cx) {
    start_filter(cx);
    return 0;
}

int stop_filter_cmd(const Context& cx) {
    stop_filter(cx);
    return 0;
}

void debugtools_callbacks(ui::CallbackRegistry& cb, const Context& cx) {
    const std::pair<const char*, int (*)(const Context&)> tools[] = {
        {"gpio_read", gpio_read},
        {"gpio_write", gpio_write},
        {"write_eeprom_cmd_usb", write_eeprom_cmd_usb},
        {"verify_eeprom_cmd_usb", verify_eeprom_cmd_usb},
        {"dump_eeprom_cmd", dump_eeprom_cmd},
        {"load_ram_cmd", load_ram_cmd},
        {"start_filter_cmd", start_filter_cmd},
        {"stop_filter_cmd", stop_filter_cmd},
    };
    // Copied into the capture by name: clang 14 cannot capture a structured binding.
    for (const auto& [name, fn] : tools) ui::on_commit(cb, name, [cx, tool = fn] { tool(cx); });
    // The main menu's "Program Boot EEPROM..." opens the same programming as the panel's button.
    cb.add_menu("eeprom_menu", [cx](int, int, void*, int) { write_eeprom_cmd_usb(cx); });
}

}  // namespace debugtools
