#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/usb/libusb_host.h"

namespace {

// Resources lie beside the executable in the build tree, or in the installed share folder.
std::string resource_dir(const char* argv0) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path exe = fs::canonical("/proc/self/exe", ec);
    if (ec) exe = fs::absolute(argv0);
    const fs::path beside = exe.parent_path();
    if (fs::exists(beside / "main.uir")) return beside.string();
    return (beside.parent_path() / "share" / "seisbench").string();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return cli::run(args, resource_dir(argv[0]), std::cout, std::cerr, usb::make_libusb_bus);
}
