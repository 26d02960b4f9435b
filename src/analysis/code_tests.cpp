#include "analysis/code_tests.h"

#include <algorithm>
#include <cmath>

#include "analysis/analysis.h"
#include "analysis/channels.h"
#include "analysis/context.h"
#include "analysis/panel_setup.h"
#include "analysis/spectrum/converter_figures.h"
#include "core/system_types.h"
#include "dsp/dsp.h"
#include "uir_ids.h"

namespace analysis {

using namespace spectrum;

namespace {

// The channel's samples as doubles in the work array; their count.
int load_channel(AnalysisState& st, int channel) {
    const int n = std::clamp(st.ch_count[channel], 0, core::kBufferEntries);
    std::copy_n(st.data(channel), n, st.fft_re.data());
    return n;
}

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

void makeAnalysisPanelForTime(const Context& cx) {
    apply_panel_setup(cx, *panel_setup_of(kTimeDomain));
}

void makeAnalysisPanelForHist(const Context& cx) {
    apply_panel_setup(cx, *panel_setup_of(kHistogram));
}

void time_stats(const Context& cx, int channel) {
    AnalysisState& st = cx.analysis;
    const int n = load_channel(st, channel);
    // A channel without samples has no extremes to show.
    const Extremes e = n > 0 ? extremes(st, n) : Extremes{};
    show_value(cx, 0, e.max);
    show_value(cx, 1, e.min);
}

void hist_stats(const Context& cx, int channel) {
    AnalysisState& st = cx.analysis;
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
    for (int i = 0; i < own; ++i) show_value(cx, i, values[i]);
    const CodeFigures figures = code_figures(sd, st.fs_code);
    for (int i = 0; i < kCodeFigures; ++i) show_figure(cx, own + i, figures[i]);
}

void _time_test(const Context& cx) {
    AnalysisState& st = cx.analysis;
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    read_channel_controls(cx);
    time_stats(cx, st.stat_ch);
    double largest = st.code_min, smallest = st.code_max;
    int longest = 0;
    for (int c = 0; c < kChannels; ++c) {
        if (!st.plot_enabled[c]) continue;
        const int n = load_channel(st, c);
        if (n == 0) continue;
        const Extremes e = extremes(st, n);
        largest = std::max(largest, e.max);
        smallest = std::min(smallest, e.min);
        longest = std::max(longest, n);
        const double margin = 0.05 * (largest - smallest);
        const double top = std::min(largest + margin, double(st.code_max));
        const double bottom = std::max(smallest - margin, double(st.code_min));
        ui.SetAxisRange(p, ANALYSIS_GRAPH, ui::VAL_MANUAL, 0, longest - 1, ui::VAL_MANUAL, bottom,
                        top);
        ui.PlotY(p, ANALYSIS_GRAPH, st.data(c), n, ui::VAL_THIN_LINE, st.plot_colour[c]);
    }
}

void _hist_test(const Context& cx) {
    AnalysisState& st = cx.analysis;
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    read_channel_controls(cx);
    hist_stats(cx, st.stat_ch);
    double largest = st.code_min, smallest = st.code_max;
    int largest_count = 0;
    for (int c = 0; c < kChannels; ++c) {
        if (!st.plot_enabled[c]) continue;
        const int n = load_channel(st, c);
        if (n == 0) continue;
        const Extremes e = extremes(st, n);
        // One bin per code: a span wider than the record would not fit the count array.
        const double span = std::trunc(e.max - e.min);
        if (span > n) {
            plot_error(cx, 400, c);
            return;
        }
        const int bins = static_cast<int>(span) + 1;
        std::int32_t* counts = st.hist_counts.data();
        double* codes = st.scratch.data();
        dsp::Histogram(st.fft_re.data(), n, e.min, e.max + 1.0, counts, codes, bins);
        const int peak = *std::max_element(counts, counts + bins);
        largest = std::max(largest, e.max);
        smallest = std::min(smallest, e.min);
        largest_count = std::max(largest_count, peak);
        for (int k = 0; k < bins; ++k) codes[k] -= 0.5;  // bin centre back to its code
        ui.SetAxisRange(p, ANALYSIS_GRAPH, ui::VAL_MANUAL, smallest - 5.0, largest + 5.0,
                        ui::VAL_MANUAL, 0.0, 1.05 * largest_count);
        ui.PlotXY(p, ANALYSIS_GRAPH, codes, counts, bins, ui::VAL_VERTICAL_BAR, st.plot_colour[c]);
    }
}

}  // namespace analysis
