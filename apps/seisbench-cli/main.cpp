#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/user_files.h"
#include "platform/usb/libusb_host.h"

namespace {

namespace fs = std::filesystem;

fs::path executable_dir(const char* argv0) {
    std::error_code ec;
    fs::path exe = fs::canonical("/proc/self/exe", ec);
    if (ec) exe = fs::absolute(argv0);
    return exe.parent_path();
}

// Resources lie beside the executable in the build tree, or in the installed share folder.
fs::path resource_dir(const fs::path& beside) {
    if (fs::exists(beside / "main.uir")) return beside;
    return beside.parent_path() / "share" / "seisbench";
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const fs::path exe_dir = executable_dir(argv[0]);
    const fs::path resources = resource_dir(exe_dir);
    return cli::run(args, resources.string(), std::cout, std::cerr, usb::make_libusb_bus,
                    core::user_dir_for(resources, exe_dir).string());
}
