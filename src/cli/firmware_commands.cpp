// firmware flash: the MCU firmware update as the board menu runs it; sim flash and
// sim power-cycle: the simulated MCU's side of it.
#include "cli/firmware_commands.h"

#include <unistd.h>

#include <iostream>

#include "boardlink/discovery.h"
#include "boardlink/firmware/flash_board.h"
#include "cli/command.h"
#include "core/atomic_file.h"
#include "platform/simboard/sim_board.h"
#include "shell/app.h"
#include "shell/show_outcome.h"

namespace cli {

namespace {

// Progress goes to a person watching standard error, never into a pipe or a log.
bool watched(const Context& c) {
    return c.err.rdbuf() == std::cerr.rdbuf() && isatty(STDERR_FILENO) == 1;
}

Result firmware(Context& c, const std::vector<std::string>& a) {
    const bool own = a.size() == 2 && a[1] == "flash";
    const bool named = a.size() == 4 && a[1] == "flash" && a[2] == "--file";
    if (!own && !named) return usage_error("usage: firmware flash [--file FILE]");
    Result f;
    if (named && !input_file_ok(a[3], &f)) return f;
    if (!ensure_connected(c, &f)) return f;
    // The board's own file is known once the board has said what it is.
    if (const std::string own = boardlink::firmware_path(c.app, {});
        !named && !own.empty() && !input_file_ok(own, &f))
        return f;
    int programmed = 0;
    const bool show = watched(c);
    boardlink::FlashOptions o{boardlink::confirm_flash(c.app, named ? a[3] : std::string{}),
                              named ? a[3] : std::string{}, [&](int done, int total) {
                                  programmed = done;
                                  if (show)
                                      c.err << "\rprogramming: " << done << "/" << total
                                            << " records" << std::flush;
                              }};
    const core::Status s = boardlink::flash_board(c.app, o);
    if (show && programmed > 0) c.err << "\n";
    shell::show_outcome(c.app.ui, s);
    if (!s) return failure(s, "firmware not programmed");
    Result r;
    r.add("records", programmed, std::to_string(programmed));
    r.add("restarted", true, "yes: cycle the board's power, then connect again");
    return r;
}

}  // namespace

Result sim_firmware(Context& c, const std::vector<std::string>& a) {
    if (!c.sim) return usage_error("sim needs --simulate");
    Result r;
    if (a.size() == 2 && a[1] == "power-cycle") {
        c.sim->power_cycle();
        r.add("power", "cycled", "cycled");
        return r;
    }
    if (a.size() != 3 || a[1] != "flash")
        return usage_error("usage: sim flash FILE | sim power-cycle");
    const auto flash = c.sim->flash().contents();
    if (const core::Status s = core::write_file_atomically(
            a[2], std::string_view(reinterpret_cast<const char*>(flash.data()), flash.size()));
        !s)
        return failure(s, "cannot write " + a[2]);
    r.add("file", a[2], a[2]);
    r.add("bytes", flash.size(), std::to_string(flash.size()));
    return r;
}

void add_firmware_commands() {
    commands()["firmware"] = {
        "firmware flash [--file FILE]",
        "program the MCU firmware (asks; --yes) from FILE or the board's own file", firmware};
}

}  // namespace cli
