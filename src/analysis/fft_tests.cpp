#include "analysis/fft_tests.h"

#include "analysis/spectrum/spectrum.h"

namespace analysis {

using namespace spectrum;

namespace {

// Errors are listed only for the enabled channels.
FftErrorReporter reporter(Measurement& m, const std::array<int, kChannels>& enabled) {
    return FftErrorReporter([&m](int code, int channel) { add_error(m, code, channel); }, enabled);
}

void set_stats(Measurement& m, const FftStats& stats) {
    const int own = static_cast<int>(stats.displays.size());
    for (int d = 0; d < own; ++d) set_readout(m, d, stats.displays[d]);
    for (int i = 0; i < stats.figure_count; ++i) set_readout(m, own + i, stats.figures[i]);
}

// The dB axis starts at -20 and each plotted channel may lower it.
constexpr double kFirstDbFloor = -20.0;

void graph_channels(const RunInputs& in, const RunRequest& request, int kind,
                    const FftErrorReporter& errors, const PlotSink& plot) {
    const AnalysisState& st = in.analysis;
    const SpectrumSettings settings = spectrum_settings(in);
    double floor = kFirstDbFloor;
    for (int c = 0; c < kChannels; ++c) {
        if (!request.enabled[c]) continue;
        FftGraphRequest g_request;
        g_request.kind = kind;
        g_request.channel = c;
        g_request.n = st.ch_count[c];
        g_request.harmonic_marks = request.harmonic_marks;
        g_request.noise_units = request.noise_units;
        g_request.present_y_min = floor;
        const FftGraph g = graph_fft(in.spectra, g_request, settings, errors);
        if (!g.plotted) continue;
        if (g.db_mode) floor = g.y_min;
        if (!plot) continue;
        ChannelPlot p;
        p.channel = c;
        p.axes = g.db_mode ? PlotAxes{0.0, g.x_max, false, g.y_min, 0.0}
                           : PlotAxes{0.0, g.x_max, true, 0.0, 0.0};
        p.x = g.x;
        p.y = g.y;
        p.texts = g.texts;
        p.lines = g.lines;
        plot(p);
    }
}

}  // namespace

void signal_stats(const RunInputs& in, int channel, const std::array<int, kChannels>& enabled,
                  Measurement& m) {
    if (channel < 0 || channel >= kChannels) return;
    const int n = in.analysis.ch_count[channel];
    set_stats(
        m, signal_FFT_stats(in.spectra, channel, n, spectrum_settings(in), reporter(m, enabled)));
    m.tones = tone_table(in.spectra, n, in.fs);
}

void noise_stats(const RunInputs& in, int channel, const std::array<int, kChannels>& enabled,
                 Measurement& m) {
    if (channel < 0 || channel >= kChannels) return;
    set_stats(m, noise_FFT_stats(in.spectra, channel, in.analysis.ch_count[channel],
                                 spectrum_settings(in), reporter(m, enabled)));
}

void signal_run(const RunInputs& in, const RunRequest& request, Measurement& m,
                const PlotSink& plot) {
    const FftErrorReporter errors = reporter(m, request.enabled);
    set_stats(m, signal_fft(in.spectra, in.analysis.ch_count, request.stat_ch,
                            spectrum_settings(in), errors));
    if (request.stat_ch >= 0 && request.stat_ch < kChannels)
        m.tones = tone_table(in.spectra, in.analysis.ch_count[request.stat_ch], in.fs);
    graph_channels(in, request, kFftKindSignal, errors, plot);
}

void noise_run(const RunInputs& in, const RunRequest& request, Measurement& m,
               const PlotSink& plot) {
    const FftErrorReporter errors = reporter(m, request.enabled);
    set_stats(m, noise_fft(in.spectra, in.analysis.ch_count, request.stat_ch, spectrum_settings(in),
                           errors));
    graph_channels(in, request, kFftKindNoise, errors, plot);
}

void phase_run(const RunInputs& in, const RunRequest& request, Measurement& m,
               const PlotSink& plot) {
    const AnalysisState& st = in.analysis;
    std::array<SpectrumChannel, kSpectrumChannels> data;
    for (int c = 0; c < kChannels; ++c) data[c] = {st.data(c), st.ch_count[c]};
    phase_test(in.spectra, data, st.window_index, in.fs, reporter(m, request.enabled),
               [&plot](int c, std::span<const double> x, std::span<const double> phase) {
                   if (!plot) return;
                   ChannelPlot p;
                   p.channel = c;
                   p.x = x;
                   p.y = phase;
                   plot(p);
               });
}

}  // namespace analysis
