// Times ChannelFFT for four channels plus the signal and noise statistics against four bare
// ReFFT calls of the same length, for 262,144- and 1,048,576-sample records. Times are the
// thread's CPU time, so that other processes on a shared machine do not count; the ratio of
// the medians is the figure to judge.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "analysis/spectrum/spectrum.h"
#include "dsp/dsp.h"

namespace {

constexpr int kChannels = analysis::spectrum::kSpectrumChannels;

double cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

double seconds_since(double start) {
    return cpu_seconds() - start;
}

std::vector<int32_t> channel_record(int n, int channel) {
    std::mt19937 gen(1234 + channel);
    std::normal_distribution<double> noise(0.0, 100.0);
    std::vector<int32_t> v(n);
    const double step = 2.0 * std::numbers::pi * (997 + 10 * channel) / n;
    for (int i = 0; i < n; ++i)
        v[i] = static_cast<int32_t>(std::lround(4e6 * std::sin(step * i) + noise(gen)));
    return v;
}

struct Figures {
    double min = 1e300;
    std::vector<double> all;
    void add(double t) {
        min = std::min(min, t);
        all.push_back(t);
    }
    double median() {
        std::sort(all.begin(), all.end());
        return all[all.size() / 2];
    }
};

void run(int n, int repeats) {
    auto state = std::make_unique<analysis::spectrum::SpectrumState>();
    const analysis::spectrum::SpectrumSettings settings{48000.0, 8388607, 5.0, 0,
                                                        analysis::spectrum::kWindowQuellan};
    const analysis::spectrum::FftErrorReporter errors(nullptr, {1, 1, 1, 1});
    std::vector<std::vector<int32_t>> data;
    for (int c = 0; c < kChannels; ++c) data.push_back(channel_record(n, c));
    std::vector<double> re(n), im(n);

    auto analysis_pass = [&] {
        analysis::spectrum::clean_average_buff(*state);
        const auto start = cpu_seconds();
        for (int c = 0; c < kChannels; ++c)
            analysis::spectrum::ChannelFFT(*state, 1, c, data[c].data(), n, settings.window_index);
        analysis::spectrum::signal_FFT_stats(*state, 0, n, settings, errors);
        analysis::spectrum::noise_FFT_stats(*state, 0, n, settings, errors);
        return seconds_since(start);
    };

    // The first pass also computes the window's coefficients for this length.
    const double first = analysis_pass();
    const auto ref_start = cpu_seconds();
    analysis::spectrum::getReferenceFFT(*state, n, settings.fs_code, settings.window_index);
    const double reference = seconds_since(ref_start);

    Figures bare, full;
    for (int r = 0; r < repeats; ++r) {
        double t = 0.0;
        for (int c = 0; c < kChannels; ++c) {
            std::copy(data[c].begin(), data[c].end(), re.begin());
            const auto start = cpu_seconds();
            dsp::ReFFT(re.data(), im.data(), n);
            t += seconds_since(start);
        }
        bare.add(t);
        full.add(analysis_pass());
    }
    std::printf("n = %7d x %d channels, %d repeats\n", n, kChannels, repeats);
    std::printf("  bare ReFFT x4                    min %8.2f ms  median %8.2f ms\n",
                bare.min * 1e3, bare.median() * 1e3);
    std::printf("  ChannelFFT x4 + signal + noise   min %8.2f ms  median %8.2f ms\n",
                full.min * 1e3, full.median() * 1e3);
    std::printf("  ratio of medians                 %.3f  (target <= 1.3)\n",
                full.median() / bare.median());
    std::printf("  ratio of minima                  %.3f\n", full.min / bare.min);
    std::printf("  first pass, window computed      %8.2f ms\n", first * 1e3);
    std::printf("  getReferenceFFT (not in ratio)   %8.2f ms\n", reference * 1e3);
}

}  // namespace

int main() {
    std::printf("analysis_bench (build type %s, window QuellanWin)\n", SEISBENCH_BUILD_TYPE);
    run(262144, 21);
    run(1048576, 9);
    return 0;
}
