#include "analysis/spectrum/windows.h"

#include <array>
#include <cmath>
#include <span>

#include "dsp/dsp.h"

namespace analysis {

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

constexpr std::array<WindowParameters, 4> kParameters = {{{2, 2}, {3, 10}, {4, 11}, {6, 13}}};

// Fills the coefficient table for (id, n) unless it already holds it: averaging and the
// reference transform many blocks of one length, and the cosines cost more than the transform.
void apply_cosine_window(SpectrumState& state, int id, std::span<const double> a, int n) {
    if (n <= 0) return;
    double* w = state.window_coefs.data();
    if (state.window_coefs_index != id || state.window_coefs_length != n) {
        const double theta = std::atan(1.0) * 8.0 / n;
        for (int i = 0; i < n; ++i) {
            double sum = a[0];
            for (size_t k = 1; k < a.size(); ++k) sum += a[k] * std::cos(theta * i * k);
            w[i] = sum;
        }
        state.window_coefs_index = id;
        state.window_coefs_length = n;
    }
    dsp::Mul1D(state.fft_re.data(), w, n, state.fft_re.data());
}

}  // namespace

void BlkHrsWin(SpectrumState& state, int n) {
    apply_cosine_window(state, kWindowBlackmanHarris, kBlkHrs, n);
}

void TessikWin(SpectrumState& state, int n) {
    apply_cosine_window(state, kWindowTessik, kTessik, n);
}

void QuellanWin(SpectrumState& state, int n) {
    apply_cosine_window(state, kWindowQuellan, kQuellan, n);
}

void window(SpectrumState& state, int window_index, int n) {
    switch (window_index) {
        case kWindowNone:
            break;
        case kWindowBlackmanHarris:
            BlkHrsWin(state, n);
            break;
        case kWindowTessik:
            TessikWin(state, n);
            break;
        case kWindowQuellan:
            QuellanWin(state, n);
            break;
        default:
            return;
    }
    state.tone_bins = kParameters[window_index].tone_bins;
    state.dc_bins = kParameters[window_index].dc_bins;
}

}  // namespace analysis
