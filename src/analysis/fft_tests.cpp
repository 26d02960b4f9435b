#include "analysis/fft_tests.h"

#include <cmath>

#include "analysis/analysis.h"
#include "analysis/context.h"
#include "analysis/panel_setup.h"
#include "analysis/spectrum/spectrum.h"
#include "uir_ids.h"

namespace analysis {

using namespace spectrum;

namespace {

// Errors reach the list only for channels whose button was on when last read.
FftErrorReporter reporter(const Context& cx) {
    return FftErrorReporter([&cx](int code, int channel) { plot_error(cx, code, channel); },
                            cx.analysis.plot_enabled);
}

// A figure the analysis could not produce shows as a dimmed 0.
void show_stats(const Context& cx, const FftStats& stats) {
    const int own = static_cast<int>(stats.displays.size());
    for (int d = 0; d < own; ++d) show_statistic(cx, d, stats.displays[d]);
    for (int i = 0; i < stats.figure_count; ++i) show_figure(cx, own + i, stats.figures[i]);
}

void draw_graph(const Context& cx, int channel, const FftGraph& g) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    const int colour = cx.analysis.plot_colour[channel];
    if (g.db_mode)
        ui.SetAxisRange(p, ANALYSIS_GRAPH, ui::VAL_MANUAL, 0.0, g.x_max, ui::VAL_MANUAL, g.y_min,
                        0.0);
    else
        ui.SetAxisRange(p, ANALYSIS_GRAPH, ui::VAL_MANUAL, 0.0, g.x_max, ui::VAL_AUTOSCALE, 0.0,
                        0.0);
    ui.PlotXY(p, ANALYSIS_GRAPH, g.x.data(), g.y.data(), static_cast<int>(g.x.size()),
              ui::VAL_THIN_LINE, colour);
    for (const FftMarkerText& t : g.texts)
        ui.PlotText(p, ANALYSIS_GRAPH, t.x, t.y, t.text, ui::VAL_BLACK);
    for (const FftMarkerLine& l : g.lines)
        ui.PlotLine(p, ANALYSIS_GRAPH, l.x, l.y_from, l.x, l.y_to,
                    l.fundamental ? ui::VAL_RED : colour);
}

// The plots of every enabled channel, each lowering the dB axis to its own floor.
void graph_channels(const Context& cx, int kind) {
    const AnalysisState& st = cx.analysis;
    const SpectrumSettings settings = spectrum_settings(cx);
    const FftErrorReporter errors = reporter(cx);
    for (int c = 0; c < kChannels; ++c) {
        if (!st.plot_enabled[c]) continue;
        int xmode = 0, ymode = 0;
        double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
        cx.ui.GetAxisRange(cx.shell.analysispanel, ANALYSIS_GRAPH, &xmode, &xmin, &xmax, &ymode,
                           &ymin, &ymax);
        FftGraphRequest request;
        request.kind = kind;
        request.channel = c;
        request.n = st.ch_count[c];
        request.harmonic_marks = st.harmonic_marks != 0;
        request.noise_units = st.noise_units != 0;
        request.present_y_min = ymin;
        const FftGraph g = graph_fft(cx.spectra, request, settings, errors);
        if (g.plotted) draw_graph(cx, c, g);
    }
}

}  // namespace

SpectrumSettings spectrum_settings(const Context& cx) {
    const AnalysisState& st = cx.analysis;
    return {cx.capture.fs, st.fs_code, st.fs_volt, st.limit_bw, st.window_index};
}

void signal_FFT_stats(const Context& cx, int channel) {
    if (channel < 0 || channel >= kChannels) return;
    show_stats(cx, signal_FFT_stats(cx.spectra, channel, cx.analysis.ch_count[channel],
                                    spectrum_settings(cx), reporter(cx)));
}

void noise_FFT_stats(const Context& cx, int channel) {
    if (channel < 0 || channel >= kChannels) return;
    show_stats(cx, noise_FFT_stats(cx.spectra, channel, cx.analysis.ch_count[channel],
                                   spectrum_settings(cx), reporter(cx)));
}

void _signal_fft(const Context& cx) {
    const AnalysisState& st = cx.analysis;
    show_stats(
        cx, signal_fft(cx.spectra, st.ch_count, st.stat_ch, spectrum_settings(cx), reporter(cx)));
    graph_channels(cx, kFftKindSignal);
}

void _noise_fft(const Context& cx) {
    const AnalysisState& st = cx.analysis;
    show_stats(cx,
               noise_fft(cx.spectra, st.ch_count, st.stat_ch, spectrum_settings(cx), reporter(cx)));
    graph_channels(cx, kFftKindNoise);
}

void _phase_test(const Context& cx) {
    const AnalysisState& st = cx.analysis;
    std::array<SpectrumChannel, kSpectrumChannels> data;
    for (int c = 0; c < kChannels; ++c) data[c] = {st.data(c), st.ch_count[c]};
    const int p = cx.shell.analysispanel;
    phase_test(cx.spectra, data, st.window_index, cx.capture.fs, reporter(cx),
               [&cx, p](int c, std::span<const double> x, std::span<const double> phase) {
                   cx.ui.PlotXY(p, ANALYSIS_GRAPH, x.data(), phase.data(),
                                static_cast<int>(x.size()), ui::VAL_THIN_LINE,
                                cx.analysis.plot_colour[c]);
               });
}

}  // namespace analysis
