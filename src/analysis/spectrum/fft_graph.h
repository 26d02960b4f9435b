// The values of the FFT plot of one channel: x in Hz, y in dB below the full-scale reference or
// in nV per root hertz, the y-axis lower limit, and the fundamental and harmonic markers.
#pragma once

#include <span>

#include "analysis/spectrum/fft_errors.h"
#include "analysis/spectrum/fft_stats.h"
#include "analysis/spectrum/spectrum_state.h"

namespace analysis::spectrum {

inline constexpr int kFftKindSignal = 2;
inline constexpr int kFftKindNoise = 3;

struct FftGraphRequest {
    int kind = kFftKindSignal;  // 2 signal test, 3 noise test
    int channel = 0;
    int n = 0;                     // the channel's sample count
    bool harmonic_marks = false;   // signal test: mark the fundamental and the harmonics
    bool noise_units = false;      // noise test: nV per root hertz instead of dB
    double present_y_min = -20.0;  // the graph's y minimum before this channel is plotted
};

struct FftGraph {
    bool plotted = false;  // false: this channel is not plotted (a bin or the reference <= 0)
    bool db_mode = true;
    std::span<const double> x;  // n/2 + 1 points, Hz
    std::span<const double> y;
    double x_max = 0.0;  // both modes: x manual from 0 to fs / 2
    // dB mode: y manual from y_min to 0. nV mode: y autoscaled.
    double y_min = 0.0;
    std::span<const FftMarkerText> texts;
    std::span<const FftMarkerLine> lines;
};

// Next multiple of 20 dB below the smallest plotted value m: -20 (trunc(-m / 20) + 1).
double db_axis_lower_limit(double smallest);

// Computes the plot of request.channel's averaged spectrum into the state's plot arrays and
// markers (valid until the next plot). Markers use fund_bin and n_harmonics of the last signal
// analysis; those outside this channel's bins 0 ... n/2 are left out. A channel of fewer than
// 2 samples that is not stopped by a zero bin raises error 20.
FftGraph graph_fft(SpectrumState& state, const FftGraphRequest& request,
                   const SpectrumSettings& settings, const FftErrorReporter& errors);

}  // namespace analysis::spectrum
