#include "seisbench/launch.h"

#include <filesystem>
#include <optional>

#include "core/number_text.h"

namespace seisbench {

namespace {
const std::string kTrace = "--trace";
}  // namespace

bool is_launch_option(const std::string& arg) {
    return arg == "-h" || arg == "--help" || arg.rfind(core::kSimulateOption, 0) == 0 ||
           arg.rfind(kTrace, 0) == 0;
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
        } else if (a == kTrace || a.rfind(kTrace + "=", 0) == 0) {
            options.trace =
                a == kTrace ? (i + 1 < args.size() ? args[++i] : "") : a.substr(kTrace.size() + 1);
            if (options.trace.empty()) {
                error = "--trace needs a file";
                return false;
            }
        } else {
            error = "unknown argument \"" + a + "\"";
            return false;
        }
    }
    return true;
}

const char* launch_usage() {
    return "usage: seisbench [--simulate[=CODE]] [--trace FILE]\n"
           "  --simulate        work against the simulated board instead of USB\n"
           "  --simulate=CODE   the simulated board reports board code CODE (0 to 255, default 4;\n"
           "                    codes other than 1 to 10 show as an unknown target)\n"
           "  --trace FILE      append every USB call to FILE as JSON lines\n";
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
