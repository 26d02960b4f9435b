#include "analysis/spectrum/windows.h"

#include <array>
#include <cmath>
#include <span>
#include <vector>

#include "dsp/dsp.h"

namespace analysis::spectrum {

namespace {

constexpr std::array<double, 4> kBlkHrs = {0.35875, -0.48829, 0.14128, -0.01168};
constexpr std::array<double, 5> kTessik = {0.67163459718823, -0.98017116095934, 0.36542092481817,
                                           -0.059489208003165, 0.0026481652930186};
constexpr std::array<double, 7> kQuellan = {
    0.6164032131405,  -0.98537119272586,   0.49603771622007,    -0.14992232793243,
    0.02458719103474, -0.0017660465148687, 0.000031581188567106};

struct WindowParameters {
    int tone_bins;
    int dc_bins;
};

struct WindowSpec {
    std::span<const double> coefs;
    WindowParameters parameters;
};

const std::array<WindowSpec, 4> kWindows = {
    {{{}, {2, 2}}, {kBlkHrs, {3, 10}}, {kTessik, {4, 11}}, {kQuellan, {6, 13}}}};

void fill_window(int id, int n, double* w) {
    const std::span<const double> a = kWindows[id].coefs;
    const double theta = std::atan(1.0) * 8.0 / n;
    for (int i = 0; i < n; ++i) {
        double sum = a[0];
        for (size_t k = 1; k < a.size(); ++k) sum += a[k] * std::cos(theta * i * k);
        w[i] = sum;
    }
}

// The coefficient table for (id, n), filled unless it already holds it: averaging and the
// reference transform many blocks of one length, and the cosines cost more than the transform.
const double* coefficients(SpectrumState& state, int id, int n) {
    double* w = state.window_coefs.data();
    if (n <= 0 || (state.window_coefs_index == id && state.window_coefs_length == n)) return w;
    fill_window(id, n, w);
    state.window_coefs_index = id;
    state.window_coefs_length = n;
    return w;
}

void apply(SpectrumState& state, const double* w, int n) {
    if (n > 0) dsp::Mul1D(state.fft_re.data(), w, n, state.fft_re.data());
}

}  // namespace

void BlkHrsWin(SpectrumState& state, int n) {
    apply(state, coefficients(state, kWindowBlackmanHarris, n), n);
}

void TessikWin(SpectrumState& state, int n) {
    apply(state, coefficients(state, kWindowTessik, n), n);
}

void QuellanWin(SpectrumState& state, int n) {
    apply(state, coefficients(state, kWindowQuellan, n), n);
}

const double* select_window(SpectrumState& state, int window_index, int n) {
    if (window_index < kWindowNone || window_index > kWindowQuellan) return nullptr;
    state.tone_bins = kWindows[window_index].parameters.tone_bins;
    state.dc_bins = kWindows[window_index].parameters.dc_bins;
    if (window_index == kWindowNone) return nullptr;
    return coefficients(state, window_index, n);
}

std::vector<double> window_coefficients(int window_index, int n) {
    if (window_index <= kWindowNone || window_index > kWindowQuellan || n <= 0) return {};
    std::vector<double> w(static_cast<std::size_t>(n));
    fill_window(window_index, n, w.data());
    return w;
}

int window_terms(int window_index) {
    if (window_index <= kWindowNone || window_index > kWindowQuellan) return 1;
    return static_cast<int>(kWindows[window_index].coefs.size());
}

int window_tone_bins(int window_index) {
    if (window_index < kWindowNone || window_index > kWindowQuellan) return 2;
    return kWindows[window_index].parameters.tone_bins;
}

void window(SpectrumState& state, int window_index, int n) {
    const double* w = select_window(state, window_index, n);
    if (w != nullptr) apply(state, w, n);
}

}  // namespace analysis::spectrum
