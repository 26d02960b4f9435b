// The code-domain tests: samples against their index, and the histogram of codes.
#pragma once

#include <cstdint>

#include "analysis/test_run.h"

namespace analysis {

// How a histogram of `codes` codes is barred: one bar per code while the codes are at most
// `one_per_code`, else bars of equal width, about `columns` of them.
struct HistogramBars {
    std::int64_t width;  // codes per bar
    int bars;
};
HistogramBars histogram_bars(std::int64_t codes, std::int64_t one_per_code, std::int64_t columns);

// Largest and smallest sample of the channel (index 0..3) in read-outs 1 and 2. The code
// tests raise no error, so the enabled channels do not matter to their statistics.
void time_stats(const RunInputs& in, int channel, const std::array<int, kChannels>& enabled,
                Measurement& m);
// The cycles the time test's first-cycles view shows.
inline constexpr int kFirstCycles = 10;

// The index where the first `cycles` cycles of a tone end, counted from its first upward
// crossing of the middle of its span (crossings need a tenth of the half span either side, so
// noise on a slope counts once); the last index when the samples hold fewer cycles.
int cycles_end(const std::int32_t* samples, int n, int cycles);

// The samples of every enabled channel, the range widening to hold each one; with
// first_cycles the x axis ends after the statistics channel's first kFirstCycles cycles.
void time_plots(const RunInputs& in, const RunRequest& request, Measurement& m,
                const PlotSink& plot);

// Largest, smallest, mean, standard deviation and variance of the channel in read-outs 1..5,
// then the resolutions its deviation gives.
void hist_stats(const RunInputs& in, int channel, const std::array<int, kChannels>& enabled,
                Measurement& m);
// The histogram of every enabled channel: one bar per code, or bars of equal width when the
// codes outnumber the samples.
void hist_plots(const RunInputs& in, const RunRequest& request, Measurement& m,
                const PlotSink& plot);

}  // namespace analysis
