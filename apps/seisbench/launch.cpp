#include "seisbench/launch.h"

#include <charconv>
#include <filesystem>

namespace seisbench {

namespace {
constexpr int kMinBoardCode = 1;
constexpr int kMaxBoardCode = 10;
const std::string kSimulate = "--simulate";
const std::string kTrace = "--trace";
}  // namespace

bool is_launch_option(const std::string& arg) {
    return arg == "-h" || arg == "--help" || arg.rfind(kSimulate, 0) == 0 ||
           arg.rfind(kTrace, 0) == 0;
}

bool parse_launch_options(const std::vector<std::string>& args, LaunchOptions& options,
                          std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-h" || a == "--help") {
            options.show_help = true;
        } else if (a == kSimulate) {
            options.simulate = true;
        } else if (a.rfind(kSimulate + "=", 0) == 0) {
            const std::string code = a.substr(kSimulate.size() + 1);
            int value = 0;
            const auto [end, ec] = std::from_chars(code.data(), code.data() + code.size(), value);
            if (code.empty() || ec != std::errc() || end != code.data() + code.size() ||
                value < kMinBoardCode || value > kMaxBoardCode) {
                error = "bad board code \"" + code + "\": give a number from 1 to 10";
                return false;
            }
            options.simulate = true;
            options.board_code = value;
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
           "  --simulate=CODE   the simulated board reports board code CODE (1 to 10)\n"
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
