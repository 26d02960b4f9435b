#include "seisbench/launch.h"

#include <filesystem>
#include <optional>

#include "core/number_text.h"
#include "recording/virtual_time_option.h"

namespace seisbench {

namespace {

const std::string kTrace = "--trace";
const std::string kDevice = "--device";
const std::string kUsbId = "--usb-id";
const std::string kScript = "--script";
const std::string kScreenshot = "--screenshot";
const std::string kLimits = "--limits";
const std::string kRecords = "--records";
const std::string kFlags[] = {"-h", "--help", "--version", "--yes", "--quit", "--no-records"};

// The value of an option given as "--opt VALUE" or "--opt=VALUE"; none when the argument is
// not that option. A missing value reads as empty.
std::optional<std::string> value_of(const std::string& opt, const std::vector<std::string>& args,
                                    std::size_t& i) {
    const std::string& a = args[i];
    if (a == opt) return i + 1 < args.size() ? args[++i] : "";
    if (a.rfind(opt + "=", 0) == 0) return a.substr(opt.size() + 1);
    return std::nullopt;
}

}  // namespace

bool takes_value(const std::string& arg) {
    return arg == kTrace || arg == kDevice || arg == kUsbId || arg == kScript ||
           arg == kScreenshot || arg == kLimits || arg == kRecords;
}

bool is_launch_option(const std::string& arg) {
    if (arg.rfind(core::kSimulateOption, 0) == 0) return true;
    if (recording::is_virtual_time_option(arg)) return true;
    for (const std::string& flag : kFlags)
        if (arg == flag) return true;
    for (const std::string& opt :
         {kTrace, kDevice, kUsbId, kScript, kScreenshot, kLimits, kRecords})
        if (arg == opt || arg.rfind(opt + "=", 0) == 0) return true;
    return false;
}

bool parse_launch_options(const std::vector<std::string>& args, LaunchOptions& options,
                          std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-h" || a == "--help") {
            options.show_help = true;
        } else if (a == "--version") {
            options.show_version = true;
        } else if (core::is_simulate_option(a)) {
            const std::optional<int> code = core::simulated_board_code(a);
            if (!code) {
                error = "bad board code \"" + a.substr(core::kSimulateOption.size() + 1) +
                        "\": give a number from 0 to 255";
                return false;
            }
            options.simulate = true;
            options.board_code = *code;
        } else if (recording::is_virtual_time_option(a)) {
            if (!recording::virtual_time_start(a, &options.virtual_utc_us)) {
                error = recording::kVirtualTimeRefused;
                return false;
            }
            options.virtual_time = true;
        } else if (a == "--yes") {
            options.yes = true;
        } else if (a == "--quit") {
            options.quit = true;
        } else if (const auto script = value_of(kScript, args, i)) {
            options.script = *script;
            if (options.script.empty()) {
                error = "--script needs a file";
                return false;
            }
        } else if (const auto shots = value_of(kScreenshot, args, i)) {
            options.screenshot = *shots;
            if (options.screenshot.empty()) {
                error = "--screenshot needs a folder";
                return false;
            }
        } else if (const auto trace = value_of(kTrace, args, i)) {
            options.trace = *trace;
            if (options.trace.empty()) {
                error = "--trace needs a file";
                return false;
            }
        } else if (a == "--no-records") {
            options.no_records = true;
        } else if (const auto records = value_of(kRecords, args, i)) {
            options.records = *records;
            if (options.records.empty()) {
                error = "--records needs a URL (postgresql://HOST/DB or sqlite:FILE)";
                return false;
            }
        } else if (const auto limits = value_of(kLimits, args, i)) {
            options.limits = *limits;
            if (options.limits.empty()) {
                error = "--limits needs a file";
                return false;
            }
        } else if (const auto device = value_of(kDevice, args, i)) {
            options.device = *device;
            if (options.device.empty()) {
                error = "--device needs a serial number";
                return false;
            }
        } else if (const auto id_text = value_of(kUsbId, args, i)) {
            const std::optional<usb::UsbId> id = usb::parse_usb_id(*id_text);
            if (!id) {
                error = "bad USB id \"" + *id_text + "\": give VID:PID in hexadecimal";
                return false;
            }
            options.usb_ids.push_back(*id);
        } else {
            error = "unknown argument \"" + a + "\"";
            return false;
        }
    }
    if (options.virtual_time && !options.simulate) {
        error = "--virtual-time needs --simulate";
        return false;
    }
    return true;
}

const char* launch_usage() {
    return "usage: seisbench [--simulate[=CODE]] [--virtual-time[=UTC]] [--device SERIAL]\n"
           "                 [--usb-id VID:PID] [--trace FILE] [--yes] [--script FILE]\n"
           "                 [--screenshot DIR] [--quit] [--limits FILE]\n"
           "                 [--records URL | --no-records]\n"
           "       seisbench --help | --version\n"
           "  --simulate        work against the simulated board instead of USB\n"
           "  --simulate=CODE   the simulated board reports board code CODE (0 to 255, default 4;\n"
           "                    codes other than 1 to 10 show as an unknown target)\n"
           "  --device SERIAL   use the board with this serial number (otherwise the last one\n"
           "                    attached)\n"
           "  --usb-id VID:PID  also take USB devices with these hexadecimal ids for boards\n"
           "                    (10c4:ea61 always counts); may be given more than once\n"
           "  --trace FILE      append every USB call to FILE as JSON lines\n"
           "  --limits FILE     pass/fail limits (JSON) shown beside the analysis read-outs\n"
           "  --records URL     keep each judged run in postgresql://HOST/DB or sqlite:FILE\n"
           "                    (default: as set in the History panel, else this computer)\n"
           "  --no-records      keep no record of the runs\n"
           "  --virtual-time    with --simulate: waits and captures take no real time\n"
           "  --virtual-time=UTC  the same, the clock starting at UTC (2026-12-08T10:00:00)\n"
           "  --script FILE     after start-up, run FILE's commands (those of seisbench-cli, one\n"
           "                    a line) in the console, as if typed; the first failure stops it\n"
           "  --yes             answer the script's confirmations yes (otherwise no)\n"
           "  --screenshot DIR  then write DIR/window.png and DIR/PANEL.png for every open panel,\n"
           "                    the window at 1280x800\n"
           "  --quit            then end, with seisbench-cli's exit status for the script\n"
           "                    (0 done, 1 a command failed, 2 a usage error, 3 a figure\n"
           "                    failed its limit)\n";
}

std::string find_resource_dir(const std::string& executable_dir) {
    namespace fs = std::filesystem;
    const fs::path exe(executable_dir);
    for (const fs::path& dir : {exe, exe.parent_path() / "share" / "seisbench"}) {
        std::error_code ec;
        if (fs::is_regular_file(dir / "main.uir", ec)) return dir.lexically_normal().string();
    }
    return {};
}

}  // namespace seisbench
