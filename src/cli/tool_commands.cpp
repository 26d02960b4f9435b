#include "cli/tool_commands.h"

#include "cli/cli.h"
#include "cli/command.h"
#include "cli/interrupts.h"
#include "debugtools/debugtools.h"
#include "debugtools/eeprom_tools.h"
#include "debugtools/pins.h"
#include "debugtools/ram_download.h"
#include "shell/app.h"

namespace cli {

namespace {

namespace dt = debugtools;

// The outcome as the panel shows it, then as the command's result.
Result outcome(Context& c, const core::Status& s, const std::string& failed_text) {
    dt::show_eeprom_outcome(c.app, s);
    if (!s) return failure(s, failed_text);
    Result r;
    r.add("result", s.text, s.text);
    return r;
}

std::string bits(const std::array<bool, 3>& fields) {
    std::string b;
    for (bool on : fields) b += on ? '1' : '0';
    return b;
}

// PIN=HML: a pin 0-11 and three binary digits, high field first.
bool parse_pin(const std::string& arg, dt::PinGrid* grid) {
    const auto eq = arg.find('=');
    long long pin = 0;
    if (eq == std::string::npos || !parse_number(arg.substr(0, eq), 0, dt::kPins - 1, &pin))
        return false;
    const std::string value = arg.substr(eq + 1);
    if (value.size() != 3 || value.find_first_not_of("01") != std::string::npos) return false;
    for (int f = 0; f < 3; ++f) (*grid)[pin][f] = value[f] == '1';
    return true;
}

Result gpio(Context& c, const std::vector<std::string>& a) {
    const char* kUsage = "usage: gpio read | gpio write PIN=HML... (e.g. gpio write 0=101 5=010)";
    const bool read = a.size() == 2 && a[1] == "read";
    const bool write = a.size() >= 2 && a[1] == "write";
    if (!read && !write) return usage_error(kUsage);
    // Pins not named are off: the grid is the whole truth.
    dt::PinGrid grid{};
    for (std::size_t i = 2; write && i < a.size(); ++i)
        if (!parse_pin(a[i], &grid)) return usage_error(kUsage);
    Result f;
    if (!ensure_connected(c, &f)) return f;
    if (const core::Status s = read ? dt::read_pins(c.app, &grid) : dt::write_pins(c.app, grid); !s)
        return failure(s, read ? "GPIO read failed" : "GPIO write not acknowledged");
    Result r;
    nlohmann::ordered_json pins = nlohmann::ordered_json::array();
    for (int p = 0; p < dt::kPins; ++p) {
        const std::string caption = dt::pin_caption(c.app, p);
        pins.push_back({{"pin", p}, {"caption", caption}, {"bits", bits(grid[p])}});
        r.lines.emplace_back("pin " + std::to_string(p), caption + " " + bits(grid[p]));
    }
    r.data["pins"] = pins;
    const dt::PinWords w = dt::compose(grid);
    r.add("GPCFG0", hex_word(w.gpcfg0), hex_word(w.gpcfg0));
    r.add("GPCFG1", hex_word(w.gpcfg1), hex_word(w.gpcfg1));
    return r;
}

Result eeprom(Context& c, const std::vector<std::string>& a) {
    const char* kUsage =
        "usage: eeprom write FILE | eeprom verify FILE | eeprom dump FILE START END "
        "(START, END hexadecimal, at most 4 digits; END excluded)";
    const bool to_file = a.size() == 3 && (a[1] == "write" || a[1] == "verify");
    const bool dump = a.size() == 5 && a[1] == "dump";
    if (!to_file && !dump) return usage_error(kUsage);
    // The prompts take four characters; a longer argument would be cut, not refused.
    if (dump && (a[3].size() > 4 || a[4].size() > 4)) return usage_error(kUsage);
    Result f;
    if (!ensure_connected(c, &f)) return f;
    // Ctrl-C ends the run between two bytes; the last line printed names the last one written.
    const dt::Progress interruptible = [](int, int, double) { return interrupt_signal() == 0; };
    if (a[1] == "write")
        return outcome(c, dt::program_eeprom(c.app, a[2], interruptible), "EEPROM not programmed");
    if (a[1] == "verify")
        return outcome(c, dt::verify_eeprom(c.app, a[2], interruptible), "EEPROM differs");
    return outcome(c, dt::dump_eeprom(c.app, a[2], a[3], a[4], interruptible), "EEPROM not dumped");
}

Result ram(Context& c, const std::vector<std::string>& a) {
    if (a.size() != 4 || a[1] != "load") return usage_error("usage: ram load PMG DMG");
    Result f;
    if (!ensure_connected(c, &f)) return f;
    return outcome(c, dt::load_ram(c.app, a[2], a[3]), "RAM download failed");
}

Result filter(Context& c, const std::vector<std::string>& a) {
    const bool start = a.size() == 2 && a[1] == "start";
    if (!start && !(a.size() == 2 && a[1] == "stop"))
        return usage_error("usage: filter start|stop");
    Result f;
    if (!ensure_connected(c, &f)) return f;
    const core::Status s = start ? dt::start_filter(c.app) : dt::stop_filter(c.app);
    if (!s) return failure(s, "filter command not acknowledged");
    Result r;
    r.add("filter", a[1], start ? "started" : "stopped");
    return r;
}

}  // namespace

void add_tool_commands() {
    auto& m = commands();
    m["gpio"] = {"gpio read | gpio write PIN=HML...",
                 "show the 12 GPIO pins, or set them (pins not named are off)", gpio};
    m["eeprom"] = {"eeprom write|verify FILE | eeprom dump FILE START END",
                   "program, verify or dump the boot EEPROM (hex addresses, END excluded)", eeprom};
    m["ram"] = {"ram load PMG DMG", "download DSP program and data memory and start it", ram};
    m["filter"] = {"filter start|stop", "send FL_START or FL_STOP", filter};
}

}  // namespace cli
