// emulated-bridge: runs a program with emulated bridges on the USB bus, each with a simulated
// board behind it, so that the program's real USB path (libusb, usbdevfs) can be tried
// without hardware:
//
//   emulated-bridge [--boards N] [--endpoints 81|82] [--zlp] [--stall-in-after N]
//                   [--unplug-after N] [--limit SECONDS] -- PROGRAM [ARGS...]
//
// Exits with the program's status (124 when it outlived the limit) and prints on stderr what
// each bridge saw.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "tests/platform/usb/emulated/child_run.h"

namespace {

constexpr int kUsage = 2;
constexpr int kTimedOut = 124;

int usage(const std::string& why) {
    std::cerr << "emulated-bridge: " << why
              << "\nusage: emulated-bridge [--boards N] [--endpoints 81|82] [--zlp] "
                 "[--stall-in-after N] [--unplug-after N] [--limit SECONDS] -- PROGRAM "
                 "[ARGS...]\n";
    return kUsage;
}

bool number(const std::string& s, long* out) {
    char* end = nullptr;
    *out = std::strtol(s.c_str(), &end, 10);
    return !s.empty() && *end == '\0' && *out >= 0;
}

// One line per bridge: how many times it saw each kind of event.
void summary(usb_emulated::BridgeDevice& d) {
    std::map<std::string, int> kinds;
    for (const std::string& e : d.log()) kinds[e.substr(0, e.find_first_of("0123456789"))]++;
    std::cerr << "emulated-bridge: " << d.serial() << ": " << d.in_packets() << " IN packets";
    for (const auto& [kind, n] : kinds) std::cerr << ", " << n << "x " << kind;
    std::cerr << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    // The bus lives in this process's view of sysfs, which only the preload library gives:
    // without it the remove events of an unplug would go to the machine's real sysfs.
    if (const std::string preload = usb_emulated::umockdev_preload_list();
        preload != (std::getenv("LD_PRELOAD") ? std::getenv("LD_PRELOAD") : "")) {
        setenv("LD_PRELOAD", preload.c_str(), 1);
        // A sanitizer build must accept the preload library ahead of its own runtime.
        const char* asan = std::getenv("ASAN_OPTIONS");
        const std::string options =
            std::string(asan ? asan : "") + (asan ? ":" : "") + "verify_asan_link_order=0";
        setenv("ASAN_OPTIONS", options.c_str(), 1);
        execv("/proc/self/exe", argv);
        std::perror("emulated-bridge: cannot start again with libumockdev-preload");
        return 1;
    }
    std::vector<std::string> args(argv + 1, argv + argc);
    long boards = 1, limit = 600;
    usb_emulated::BridgeOptions options;
    std::size_t i = 0;
    for (; i < args.size() && args[i] != "--"; ++i) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        long v = 0;
        if (a == "--zlp") {
            options.zlp_after_full = true;
        } else if (!has_value || !number(args[i + 1], &v)) {
            return usage("unknown option or missing number: " + a);
        } else if (a == "--boards" && v >= 1 && v <= 8) {
            boards = v;
            ++i;
        } else if (a == "--endpoints" && (v == 81 || v == 82)) {
            options.in_endpoint = v == 81 ? 0x81 : 0x82;
            options.out_endpoint = v == 81 ? 0x01 : 0x02;
            ++i;
        } else if (a == "--stall-in-after") {
            options.stall_in_after = v;
            ++i;
        } else if (a == "--unplug-after") {
            options.unplug_after = v;
            ++i;
        } else if (a == "--limit" && v > 0) {
            limit = v;
            ++i;
        } else {
            return usage("bad value for " + a);
        }
    }
    if (i + 1 >= args.size()) return usage("no program to run");
    const std::vector<std::string> program(args.begin() + static_cast<long>(i) + 1, args.end());

    usb_emulated::EmulatedBridge bus;
    std::vector<usb_emulated::BridgeDevice*> devices;
    for (long b = 1; b <= boards; ++b) {
        simboard::BoardConfig board;
        char serial[16];
        std::snprintf(serial, sizeof serial, "SB%07ld", b);
        board.serial = serial;
        devices.push_back(&bus.plug(board, options));
    }
    const usb_emulated::ChildResult r =
        usb_emulated::run_on_bus(bus, program, static_cast<double>(limit));
    std::cout << r.out;
    std::cerr << r.err;
    for (auto* d : devices) summary(*d);
    if (r.timed_out) {
        std::cerr << "emulated-bridge: the program outlived " << limit << " s and was killed\n";
        return kTimedOut;
    }
    return r.status;
}
