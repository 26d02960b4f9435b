#include "analysis/spectrum/fft_graph.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "dsp/dsp.h"

namespace analysis::spectrum {

namespace {

constexpr double kFundamentalTextOffset = 5.0;
constexpr double kHarmonicTextOffset = 12.0;

// y values of bins 0 ... half; false when a bin stops the plot.
bool fill_db(const SpectrumState& state, const double* p, int half, double* y) {
    if (state.ref_power <= 0.0) return false;
    for (int i = 0; i <= half; ++i) {
        if (p[i] <= 0.0) return false;
        y[i] = 10.0 * std::log10(p[i] / state.ref_power);
    }
    return true;
}

bool fill_nv(const double* p, int n, const SpectrumSettings& settings, double* y) {
    const int half = n / 2;
    const double squared_half = static_cast<double>(half) * half;
    const double scale =
        (settings.fs_volt / 2.0 / std::sqrt(2.0)) / settings.fs_code * std::sqrt(n / settings.fs);
    for (int i = 0; i <= half; ++i) {
        if (p[i] < 0.0) return false;
        y[i] = 1e9 * std::sqrt(p[i] / squared_half) * scale;
    }
    return true;
}

void add_text(SpectrumState& state, double x, double y, int order) {
    FftMarkerText text{x, y, {}};
    if (order == 1) {
        text.text[0] = 'F';
    } else {
        std::snprintf(text.text, sizeof text.text, "%d", order);
    }
    state.marker_texts.push_back(text);
}

void add_markers(SpectrumState& state, int n, const double* x, const double* y, double y_min) {
    const int half = n / 2;
    const int w = state.tone_bins;
    const int d = state.dc_bins;
    const int f = state.fund_bin;
    if (f < 0 || f > half) return;

    add_text(state, x[f], y[f] + kFundamentalTextOffset, 1);
    for (int j = f - w; j <= f + w; ++j)
        if (d < j && j <= half) state.marker_lines.push_back({x[j], y[j], y_min, true});

    const int reach = static_cast<int>(std::trunc(std::pow(std::log10(n), 2)));
    for (int k = 0; k < state.n_harmonics; ++k) {
        const int order = k + 2;
        int b = static_cast<int>(static_cast<int64_t>(f) * order % n);
        if (b > half) b = n - b;
        const int first = std::max(0, b - reach);
        const int last = std::min(half, b + reach);
        const double peak = *std::max_element(y + first, y + last + 1);
        add_text(state, x[b], peak + kHarmonicTextOffset, order);
        for (int j = b - w; j <= b + w; ++j)
            if (d < j && j < half) state.marker_lines.push_back({x[j], y_min, y[j], false});
    }
}

}  // namespace

double db_axis_lower_limit(double smallest) {
    return -20.0 * (std::trunc(-smallest / 20.0) + 1.0);
}

FftGraph graph_fft(SpectrumState& state, const FftGraphRequest& request,
                   const SpectrumSettings& settings, const FftErrorReporter& errors) {
    state.marker_texts.clear();
    state.marker_lines.clear();
    FftGraph graph;
    const int n = request.n;
    const int channel = request.channel;
    if (channel < 0 || channel >= kSpectrumChannels || n < 0 || n > core::kBufferEntries)
        return graph;
    const int half = n / 2;
    graph.db_mode = request.kind == kFftKindSignal || !request.noise_units;
    const double* p = state.avg_buff[channel].data();
    double* x = state.plot_x.data();
    double* y = state.plot_y.data();
    const bool filled = graph.db_mode ? fill_db(state, p, half, y) : fill_nv(p, n, settings, y);
    if (!filled) return graph;
    if (half < 1) {
        errors.raise(fft_error::kSampleSizeTooSmall, channel);
        return graph;
    }
    for (int i = 0; i <= half; ++i) x[i] = settings.fs * i / n;

    graph.plotted = true;
    graph.x = {x, static_cast<std::size_t>(half) + 1};
    graph.y = {y, static_cast<std::size_t>(half) + 1};
    graph.x_max = settings.fs / 2.0;
    if (!graph.db_mode) return graph;

    double max = 0.0, smallest = 0.0;
    int imax = 0, imin = 0;
    dsp::MaxMin1D(y, half, &max, &imax, &smallest, &imin);
    graph.y_min = std::min(request.present_y_min, db_axis_lower_limit(smallest));
    if (request.kind == kFftKindSignal && request.harmonic_marks)
        add_markers(state, n, x, y, graph.y_min);
    graph.texts = state.marker_texts;
    graph.lines = state.marker_lines;
    return graph;
}

}  // namespace analysis::spectrum
