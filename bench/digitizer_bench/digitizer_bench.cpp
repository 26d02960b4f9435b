// Times the Welch cross-spectra of four channels and the three-channel self-noise over a long
// recording (default 6 hours at 500 samples/s), per segment length.
//
//   digitizer_bench [hours] [rate] [segments...]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "analysis/digitizer/cross_spectra.h"
#include "analysis/digitizer/noise_figures.h"
#include "analysis/digitizer/self_noise.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace analysis::digitizer;

double seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

}  // namespace

int main(int argc, char** argv) {
    const double hours = argc > 1 ? std::atof(argv[1]) : 6.0;
    const double rate = argc > 2 ? std::atof(argv[2]) : 500.0;
    std::vector<int> lengths;
    for (int i = 3; i < argc; ++i) lengths.push_back(std::atoi(argv[i]));
    if (lengths.empty()) lengths = {4096, 16384};
    const auto n = static_cast<std::size_t>(hours * 3600.0 * rate);
    std::printf(
        "digitizer_bench (%s build): %.2f h x 4 channels at %g samples/s = %zu samples "
        "per channel\n",
        SEISBENCH_BUILD_TYPE, hours, rate, n);
    // A common input under each channel's own noise, as a shared-input test records.
    std::mt19937_64 rng(1);
    std::normal_distribution<double> g(0.0, 1.0);
    std::vector<std::vector<std::int32_t>> data(4, std::vector<std::int32_t>(n));
    for (std::size_t i = 0; i < n; ++i) {
        const double s = 3000.0 * g(rng);
        for (int c = 0; c < 4; ++c)
            data[c][i] = static_cast<std::int32_t>(s + (200.0 + 100.0 * c) * g(rng));
    }
    std::printf("%8s %10s %12s %12s %12s %12s\n", "segment", "segments", "welch s", "self s",
                "total s", "ch1 self dB");
    for (int length : lengths) {
        const auto t0 = Clock::now();
        CrossSpectra p({length, 50.0, 3, rate}, 4);
        std::vector<std::span<const std::int32_t>> block;
        for (const auto& c : data) block.emplace_back(c);
        p.add_block(block);
        const auto t1 = Clock::now();
        double check = 0.0;
        for (int a = 0; a < 4; ++a) {
            const auto noise = three_channel_noise(p, a, (a + 1) % 4, (a + 2) % 4);
            if (a == 0) {
                const BinRange r = band_bins(0.1, 0.4 * rate, p.bin_width(), p.bins(), 7);
                check = median_density(noise, r) / (2.0 * 200.0 * 200.0 / rate);
            }
        }
        const auto t2 = Clock::now();
        std::printf("%8d %10d %12.3f %12.3f %12.3f %12.2f\n", length, p.segments(), seconds(t0, t1),
                    seconds(t1, t2), seconds(t0, t2), 10.0 * std::log10(check));
    }
    return 0;
}
