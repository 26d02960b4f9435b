// What the desktop program reads from its command line, and where it finds its resources.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/number_text.h"
#include "platform/usb/usb_ids.h"

namespace seisbench {

struct LaunchOptions {
    // --simulate[=CODE]: work against the simulated board instead of USB.
    bool simulate = false;
    // The simulated board's code (0 to 255).
    int board_code = core::kDefaultSimulatedBoard;
    bool show_help = false;
    bool show_version = false;
    // --trace FILE (or --trace=FILE): the bus trace is appended to FILE.
    std::string trace;
    // --device SERIAL: the board with this serial number, not the last one attached.
    std::string device;
    // --usb-id VID:PID, any number of times: more ids that mark a USB device as a board.
    std::vector<usb::UsbId> usb_ids;
    // --limits FILE (or --limits=FILE): pass/fail limits shown beside the analysis read-outs.
    std::string limits;
    // --records URL: where judged runs are kept (default: the URL saved in the History panel,
    // else this computer's records file); --no-records: nowhere.
    std::string records;
    bool no_records = false;
    // --virtual-time: with --simulate, waits and captures take no real time.
    bool virtual_time = false;
    // --virtual-time=UTC: the virtual clock starts at this UTC time (microseconds since 1970).
    std::optional<std::int64_t> virtual_utc_us;
    // --yes: a script's confirmations are answered yes (otherwise no).
    bool yes = false;
    // --script FILE: commands run in the console after start-up, as if typed.
    std::string script;
    // --screenshot DIR: after the script, a picture of the window and of every open panel.
    std::string screenshot;
    // --quit: after the script (and the pictures), end with the script's exit status.
    bool quit = false;
};

// Reads the arguments after the program name. False, with a one-line reason in error, for an
// unknown argument or a bad board code.
bool parse_launch_options(const std::vector<std::string>& args, LaunchOptions& options,
                          std::string& error);

// Whether the argument is one of ours (and not one for Qt).
bool is_launch_option(const std::string& arg);
// Whether the option takes the next argument as its value.
bool takes_value(const std::string& arg);

const char* launch_usage();

// The folder holding "main.uir": beside the executable (the build tree) or in the installed
// share folder (<prefix>/share/seisbench for <prefix>/bin). Empty when neither has it.
std::string find_resource_dir(const std::string& executable_dir);

}  // namespace seisbench
