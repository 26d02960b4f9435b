#include "debugtools/debugtools.h"

#include "chip/registers.h"
#include "debugtools/eeprom_tools.h"
#include "debugtools/pins.h"
#include "debugtools/ram_download.h"
#include "shell/app.h"

namespace debugtools {

namespace {

core::Status filter_command(App& app, int command) {
    int zero = 0;
    return chip::dsp_command(app.port, command, &zero, &zero, false);
}

}  // namespace

core::Status start_filter(App& app) {
    return filter_command(app, chip::FL_START);
}

core::Status stop_filter(App& app) {
    return filter_command(app, chip::FL_STOP);
}

// Nothing is shown for either: the filter's state shows in the captured data.
int start_filter_cmd(App& app) {
    start_filter(app);
    return 0;
}

int stop_filter_cmd(App& app) {
    stop_filter(app);
    return 0;
}

void debugtools_callbacks(App& app) {
    auto& cb = app.callbacks;
    const std::pair<const char*, int (*)(App&)> tools[] = {
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
    for (const auto& [name, fn] : tools) ui::on_commit(cb, name, [&app, tool = fn] { tool(app); });
    // The main menu's "Program Boot EEPROM..." opens the same programming as the panel's button.
    cb.add_menu("eeprom_menu", [&app](int, int, void*, int) { write_eeprom_cmd_usb(app); });
}

}  // namespace debugtools
