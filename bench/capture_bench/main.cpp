// Capture figures: (a) decode throughput of the chunk loop against the 16,000 records/s a
// four-channel 4000 samples/s stream needs; (b) a full-buffer capture from the simulated board
// on the real clock: over-runs, CPU time as a share of wall time, peak resident memory.
// Prints figures; never fails on them.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "boardlink/discovery.h"
#include "capture/capture.h"
#include "chip/setup_config.h"
#include "platform/ui/headless_frontend.h"
#include "platform/usb/sim_bus.h"
#include "shell/app.h"
#include "shell/startup.h"
#include "uir_ids.h"

namespace {

double cpu_seconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + 1e-6 * (u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

long peak_rss_kib() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void decode_throughput() {
    capture::Buffer buf;
    std::uint8_t chunk[capture::kChunkBytes];
    for (int i = 0; i < capture::kChunkBytes; ++i) chunk[i] = static_cast<std::uint8_t>(i * 37);
    const int chunks = core::kMaxRecords / 250;
    const auto t0 = std::chrono::steady_clock::now();
    long long m = 0;
    for (int rep = 0; rep < 20; ++rep) {
        m = 0;
        for (int c = 0; c < chunks; ++c)
            m += capture::store_records(chunk, capture::kChunkBytes, m, buf);
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double rate = 20.0 * m / s;
    std::printf("(a) chunk decode: %.1f M records/s (%.0f x the 16,000 records/s needed)\n",
                rate / 1e6, rate / 16000.0);
}

void full_capture(int records) {
    platform::RealClock clock;
    ui::HeadlessFrontend frontend;
    usb::SimBus bus(clock);
    bus.add_board();
    App app({clock, frontend, bus, SEISBENCH_RESOURCE_DIR});
    if (shell::startup(app) != 0) {
        std::printf("resources not found in %s\n", SEISBENCH_RESOURCE_DIR);
        return;
    }
    const int p = app.shell.setuppanel;
    app.ui.SetCtrlVal(p, SETUP_CONNECT, 1);
    boardlink::USB_port_init(app);
    app.ui.SetCtrlVal(p, SETUP_RATE, 4000);
    app.ui.SetCtrlVal(p, SETUP_CHANNELS, 0);
    chip::config_df(app);
    app.ui.SetCtrlVal(p, SETUP_SAMPLES, records);
    frontend.popups.clear();
    const double cpu0 = cpu_seconds();
    const auto t0 = std::chrono::steady_clock::now();
    const int r = capture::capture_data(app);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = cpu_seconds() - cpu0;
    int overruns = 0;
    for (const auto& pu : frontend.popups)
        if (pu.title == "USB buffer over-run!") ++overruns;
    std::printf("(b) capture of %d records at 4000 samples/s x 4 channels: %s\n", records,
                r == 0 ? "complete" : "FAILED");
    std::printf("    wall %.1f s, CPU %.2f s = %.2f %% of one core (simulated board included)\n",
                wall, cpu, 100.0 * cpu / wall);
    std::printf("    over-runs %d, peak resident memory %.1f MB\n", overruns,
                peak_rss_kib() / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    int records = core::kMaxRecords;
    if (argc > 1 && std::strcmp(argv[1], "--short") == 0) records = 65536;
    decode_throughput();
    full_capture(records);
    return 0;
}
