#include "analysis/code_tests.h"

#include <algorithm>
#include <cmath>

#include "analysis/spectrum/converter_figures.h"
#include "core/system_types.h"
#include "dsp/dsp.h"

namespace analysis {

using namespace spectrum;

namespace {

// The channel's samples as doubles in the work array; their count.
int load_channel(AnalysisState& st, int channel) {
    const int n = std::clamp(st.ch_count[channel], 0, core::kBufferEntries);
    std::copy_n(st.data(channel), n, st.fft_re.data());
    return n;
}

// Bars of a histogram whose codes outnumber its samples.
constexpr std::int64_t kHistogramBars = 1000;

struct Extremes {
    double max = 0.0, min = 0.0;
};

Extremes extremes(const AnalysisState& st, int n) {
    Extremes e;
    int imax = 0, imin = 0;
    dsp::MaxMin1D(st.fft_re.data(), n, &e.max, &imax, &e.min, &imin);
    return e;
}

}  // namespace

HistogramBars histogram_bars(std::int64_t codes, std::int64_t one_per_code, std::int64_t columns) {
    const std::int64_t width = codes <= one_per_code ? 1 : (codes + columns - 1) / columns;
    return {width, static_cast<int>((codes + width - 1) / width)};
}

int cycles_end(const std::int32_t* samples, int n, int cycles) {
    if (n <= 0) return 0;
    const auto [lo, hi] = std::minmax_element(samples, samples + n);
    const double middle = (static_cast<double>(*lo) + *hi) / 2.0;
    const double band = (static_cast<double>(*hi) - *lo) / 20.0;
    int crossings = 0;
    bool low = false;
    for (int i = 0; i < n; ++i) {
        if (samples[i] < middle - band) {
            low = true;
        } else if (low && samples[i] > middle + band) {
            low = false;
            // The first crossing starts the count; each one after it ends a cycle.
            if (crossings++ == cycles) return i;
        }
    }
    return n - 1;
}

void time_stats(const RunInputs& in, int channel, const std::array<int, kChannels>&,
                Measurement& m) {
    AnalysisState& st = in.analysis;
    const int n = load_channel(st, channel);
    // A channel without samples has no extremes to show.
    const Extremes e = n > 0 ? extremes(st, n) : Extremes{};
    set_value(m, 0, e.max);
    set_value(m, 1, e.min);
}

void hist_stats(const RunInputs& in, int channel, const std::array<int, kChannels>&,
                Measurement& m) {
    AnalysisState& st = in.analysis;
    const int n = load_channel(st, channel);
    double mean = 0.0, sd = 0.0, var = 0.0;
    Extremes e;
    if (n > 0) {
        e = extremes(st, n);
        dsp::StdDev(st.fft_re.data(), n, &mean, &sd);
        dsp::Variance(st.fft_re.data(), n, &mean, &var);
    }
    const double values[] = {e.max, e.min, mean, sd, var};
    const int own = static_cast<int>(std::size(values));
    for (int i = 0; i < own; ++i) set_value(m, i, values[i]);
    const CodeFigures figures = code_figures(sd, st.fs_code);
    for (int i = 0; i < kCodeFigures; ++i) set_readout(m, own + i, figures[i]);
}

void time_plots(const RunInputs& in, const RunRequest& request, Measurement&,
                const PlotSink& plot) {
    // The time plots raise no error: without a drawer there is nothing to do.
    if (!plot) return;
    AnalysisState& st = in.analysis;
    double largest = st.code_min, smallest = st.code_max;
    int longest = 0;
    int shown_end = -1;
    if (request.first_cycles && request.stat_ch >= 0 && request.stat_ch < kChannels)
        shown_end = cycles_end(st.data(request.stat_ch),
                               std::clamp(st.ch_count[request.stat_ch], 0, core::kBufferEntries),
                               kFirstCycles);
    for (int c = 0; c < kChannels; ++c) {
        if (!request.enabled[c]) continue;
        const int n = load_channel(st, c);
        if (n == 0) continue;
        const Extremes e = extremes(st, n);
        largest = std::max(largest, e.max);
        smallest = std::min(smallest, e.min);
        longest = std::max(longest, n);
        const double margin = 0.05 * (largest - smallest);
        ChannelPlot p;
        p.channel = c;
        const double x_max = shown_end > 0 ? std::min(shown_end, longest - 1) : longest - 1.0;
        p.axes = PlotAxes{0.0, x_max, false, std::max(smallest - margin, double(st.code_min)),
                          std::min(largest + margin, double(st.code_max))};
        p.codes = {st.data(c), static_cast<std::size_t>(n)};
        plot(p);
    }
}

void hist_plots(const RunInputs& in, const RunRequest& request, Measurement&,
                const PlotSink& plot) {
    if (!plot) return;
    AnalysisState& st = in.analysis;
    double largest = st.code_min, smallest = st.code_max;
    int largest_count = 0;
    for (int c = 0; c < kChannels; ++c) {
        if (!request.enabled[c]) continue;
        const int n = load_channel(st, c);
        if (n == 0) continue;
        const Extremes e = extremes(st, n);
        // One bar per code while the codes are no more than the samples; a wider span (a
        // large tone) gets bars of equal width, about one per pixel column.
        const auto [width, bars] =
            histogram_bars(static_cast<std::int64_t>(e.max - e.min) + 1, n, kHistogramBars);
        std::int32_t* counts = st.hist_counts.data();
        double* centres = st.scratch.data();
        dsp::Histogram(st.fft_re.data(), n, e.min, e.min + double(bars * width), counts, centres,
                       bars);
        const int peak = *std::max_element(counts, counts + bars);
        largest = std::max(largest, e.max);
        smallest = std::min(smallest, e.min);
        largest_count = std::max(largest_count, peak);
        // Each bar stands at the middle of its codes.
        for (int k = 0; k < bars; ++k) centres[k] -= 0.5;
        ChannelPlot p;
        p.channel = c;
        p.axes = PlotAxes{smallest - 5.0, largest + 5.0, false, 0.0, 1.05 * largest_count};
        p.bars = true;
        p.x = {centres, static_cast<std::size_t>(bars)};
        p.codes = {counts, static_cast<std::size_t>(bars)};
        plot(p);
    }
}

}  // namespace analysis
