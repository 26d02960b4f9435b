// The phase test: the phase of each enabled channel's own windowed transform, in degrees.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "analysis/spectrum/fft_errors.h"
#include "analysis/spectrum/spectrum_state.h"

namespace analysis::spectrum {

struct SpectrumChannel {
    const int32_t* samples = nullptr;
    int count = 0;
};

inline constexpr int kPhaseMinimumSamples = 32;

// Receives one channel's plot: x in Hz and the phase in degrees (-180 ... 180), n/2 points.
using PhasePlot =
    std::function<void(int channel, std::span<const double> x, std::span<const double> phase)>;

// For channels 0 ... 3 in order: a channel of fewer than 32 samples ends the test (error 50
// when its button is on); a channel whose button is on is transformed with the window
// window_index and handed to plot.
void phase_test(SpectrumState& state, const std::array<SpectrumChannel, kSpectrumChannels>& data,
                int window_index, double fs, const FftErrorReporter& errors, const PhasePlot& plot);

}  // namespace analysis::spectrum
