// Boot-EEPROM programming on the real clock against the simulated board: wall time per byte
// and the share of it that is the protocol's own settle delays (three frames of 0.1 s per
// byte). A whole 4 KiB image takes over 20 minutes, so the first bytes of one are programmed
// (the count is the first argument, default 32) and the whole is extrapolated.
// Prints figures; never fails on them.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "boardlink/discovery.h"
#include "debugtools/eeprom_tools.h"
#include "platform/ui/headless_frontend.h"
#include "platform/usb/sim_bus.h"
#include "shell/app.h"
#include "shell/startup.h"
#include "uir_ids.h"

namespace {

constexpr int kImageBytes = 4096;

double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int bytes = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, kImageBytes) : 32;
    platform::RealClock clock;
    ui::HeadlessFrontend frontend;
    usb::SimBus bus(clock);
    bus.add_board();
    App app({clock, frontend, bus, SEISBENCH_RESOURCE_DIR});
    if (shell::startup(app) != 0) {
        std::printf("resources not found in %s\n", SEISBENCH_RESOURCE_DIR);
        return 1;
    }
    app.ui.SetCtrlVal(app.shell.setuppanel, SETUP_CONNECT, 1);
    boardlink::USB_port_init(app);

    // The first bytes of a 4 KiB image, as mkboot writes it.
    const auto path = std::filesystem::temp_directory_path() / "eeprom_bench.txt";
    {
        std::ofstream f(path);
        for (int i = 0; i < bytes; ++i) {
            char line[8];
            std::snprintf(line, sizeof line, "%02X\n", (i * 37 + 11) & 0xFF);
            f << line;
        }
    }
    double settle = 0.0;
    const auto settle_delay = app.port.delay;
    app.port.delay = [&](double s) {
        const auto t0 = std::chrono::steady_clock::now();
        settle_delay(s);
        settle += seconds_since(t0);
    };
    const auto t0 = std::chrono::steady_clock::now();
    const core::Status s = debugtools::program_eeprom(app, path.string());
    const double wall = seconds_since(t0);
    std::filesystem::remove(path);

    const double per_byte = wall / bytes;
    std::printf("EEPROM programming, %d of a %d-byte image, real clock, simulated board: %s\n",
                bytes, kImageBytes, s ? "complete" : s.step.c_str());
    std::printf("  wall %.2f s = %.1f ms per byte (protocol floor 300 ms: three frames x 0.1 s)\n",
                wall, 1000.0 * per_byte);
    std::printf(
        "  protocol settle delays %.2f s = %.2f %% of the wall time; the rest %.2f ms "
        "per byte\n",
        settle, 100.0 * settle / wall, 1000.0 * (wall - settle) / bytes);
    std::printf("  a whole %d-byte image: about %.1f min\n", kImageBytes,
                per_byte * kImageBytes / 60.0);
    return 0;
}
