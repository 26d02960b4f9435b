// Capture figures: (a) decode throughput of the chunk loop against the 16,000 records/s a
// four-channel 4000 samples/s stream needs; (b) full-buffer captures from the simulated board
// on the real clock, optionally while busy processes load the cores: completed runs,
// over-runs, CPU time as a share of wall time, peak resident memory.
// Prints figures; never fails on them.
//   capture_bench [--short] [--runs N] [--load N]
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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

struct Run {
    bool complete = false;
    int overruns = 0;
    double wall = 0, cpu = 0;
};

Run full_capture(int records) {
    platform::RealClock clock;
    ui::HeadlessFrontend frontend;
    usb::SimBus bus(clock);
    bus.add_board();
    App app({clock, frontend, bus, SEISBENCH_RESOURCE_DIR});
    Run run;
    if (shell::startup(app) != 0) {
        std::printf("resources not found in %s\n", SEISBENCH_RESOURCE_DIR);
        return run;
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
    run.complete = capture::capture_data(app) == 0;
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    run.cpu = cpu_seconds() - cpu0;
    for (const auto& pu : frontend.popups)
        if (pu.title == "USB buffer over-run!") ++run.overruns;
    return run;
}

// Busy processes that keep cores loaded until they are ended.
std::vector<pid_t> start_load(int n) {
    std::vector<pid_t> pids;
    for (int i = 0; i < n; ++i) {
        const pid_t pid = fork();
        if (pid == 0) {
            volatile unsigned long spin = 0;
            for (;;) spin = spin + 1;
        }
        if (pid > 0) pids.push_back(pid);
    }
    return pids;
}

void stop_load(const std::vector<pid_t>& pids) {
    for (pid_t pid : pids) kill(pid, SIGKILL);
    for (pid_t pid : pids) waitpid(pid, nullptr, 0);
}

}  // namespace

int main(int argc, char** argv) {
    int records = core::kMaxRecords;
    int runs = 1, load = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--short") {
            records = 65536;
        } else if (a == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--load" && i + 1 < argc) {
            load = std::max(0, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: capture_bench [--short] [--runs N] [--load N]\n");
            return 2;
        }
    }
    decode_throughput();
    const std::vector<pid_t> busy = start_load(load);
    std::printf(
        "(b) %d capture(s) of %d records at 4000 samples/s x 4 channels, real clock, "
        "%d busy process(es) beside them\n",
        runs, records, static_cast<int>(busy.size()));
    int complete = 0, overruns = 0;
    double wall = 0, cpu = 0;
    for (int r = 0; r < runs; ++r) {
        const Run run = full_capture(records);
        complete += run.complete ? 1 : 0;
        overruns += run.overruns;
        wall += run.wall;
        cpu += run.cpu;
        std::printf("    run %d: %s, wall %.1f s, CPU %.2f s\n", r + 1,
                    run.complete ? "complete" : "FAILED", run.wall, run.cpu);
        std::fflush(stdout);
    }
    stop_load(busy);
    std::printf("    completed %d of %d, over-runs %d\n", complete, runs, overruns);
    std::printf(
        "    CPU %.1f s in %.1f s of capture = %.2f %% of one core (simulated board "
        "included)\n",
        cpu, wall, wall > 0 ? 100.0 * cpu / wall : 0.0);
    std::printf("    peak resident memory %.1f MB\n", peak_rss_kib() / 1024.0);
    return 0;
}
