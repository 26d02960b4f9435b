#include "seisbench/launch.h"

#include <filesystem>
#include <optional>

#include "core/number_text.h"

namespace seisbench {

namespace {
const std::string kTrace = "--trace";
const std::string kLimits = "--limits";

// --NAME FILE or --NAME=FILE; false with the reason when the file is missing.
bool file_option(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
                 std::string& value, std::string& error) {
    const std::string& a = args[i];
    value = a == name ? (i + 1 < args.size() ? args[++i] : "") : a.substr(name.size() + 1);
    if (value.empty()) error = name + " needs a file";
    return !value.empty();
}

bool is_file_option(const std::string& arg, const std::string& name) {
    return arg == name || arg.rfind(name + "=", 0) == 0;
}
}  // namespace

bool is_launch_option(const std::string& arg) {
    return arg == "-h" || arg == "--help" || arg.rfind(core::kSimulateOption, 0) == 0 ||
           arg.rfind(kTrace, 0) == 0 || arg.rfind(kLimits, 0) == 0;
}

bool takes_value(const std::string& arg) {
    return arg == kTrace || arg == kLimits;
}

bool parse_launch_options(const std::vector<std::string>& args, LaunchOptions& options,
                          std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-h" || a == "--help") {
            options.show_help = true;
        } else if (core::is_simulate_option(a)) {
            const std::optional<int> code = core::simulated_board_code(a);
            if (!code) {
                error = "bad board code \"" + a.substr(core::kSimulateOption.size() + 1) +
                        "\": give a number from 0 to 255";
                return false;
            }
            options.simulate = true;
            options.board_code = *code;
        } else if (is_file_option(a, kTrace)) {
            if (!file_option(args, i, kTrace, options.trace, error)) return false;
        } else if (is_file_option(a, kLimits)) {
            if (!file_option(args, i, kLimits, options.limits, error)) return false;
        } else {
            error = "unknown argument \"" + a + "\"";
            return false;
        }
    }
    return true;
}

const char* launch_usage() {
    return "usage: seisbench [--simulate[=CODE]] [--trace FILE] [--limits FILE]\n"
           "  --simulate        work against the simulated board instead of USB\n"
           "  --simulate=CODE   the simulated board reports board code CODE (0 to 255, default 4;\n"
           "                    codes other than 1 to 10 show as an unknown target)\n"
           "  --trace FILE      append every USB call to FILE as JSON lines\n"
           "  --limits FILE     pass/fail limits (JSON) shown beside the analysis read-outs\n";
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
