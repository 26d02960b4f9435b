// Process-wide state of the averaged spectra: the per-channel averages, the transform's work
// arrays, the window parameters and the results the statistics hand to the FFT plot. Everything
// is allocated once, when the state is built, and sized for the longest record.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/system_types.h"

namespace analysis::spectrum {

inline constexpr int kSpectrumChannels = 4;
// A channel's sample array holds core::kBufferEntries samples.
inline constexpr int kSpectrumMaxBins = core::kBufferEntries / 2 + 1;
inline constexpr int kMaxHarmonics = 1000;

// One harmonic of the last signal analysis: its band after folding, whether it was counted
// (kHarmonicCounted), rejected (kHarmonicRejected) or overlaps the earlier harmonic j
// (kHarmonicOverlapBase + j), and the power summed over it.
inline constexpr int32_t kHarmonicCounted = 0;
inline constexpr int32_t kHarmonicRejected = 4;
inline constexpr int32_t kHarmonicOverlapBase = 5;

struct HarmonicEntry {
    int32_t first = 0;
    int32_t last = 0;
    int32_t status = kHarmonicCounted;
    double power = 0.0;
};

// A vertical marker line of the FFT plot at x from y_from to y_to; the fundamental's lines are
// red, a harmonic's take the channel's colour.
struct FftMarkerLine {
    double x = 0.0;
    double y_from = 0.0;
    double y_to = 0.0;
    bool fundamental = false;
};

// A marker text of the FFT plot: "F" for the fundamental, the harmonic order otherwise.
struct FftMarkerText {
    double x = 0.0;
    double y = 0.0;
    char text[12] = {};
};

struct SpectrumState {
    SpectrumState();
    SpectrumState(const SpectrumState&) = delete;
    SpectrumState& operator=(const SpectrumState&) = delete;

    // Averaged power per bin, bins 0 ... n/2 of a channel of n samples.
    std::array<std::vector<double>, kSpectrumChannels> avg_buff;

    // Work arrays, overwritten by every transform.
    std::vector<double> fft_re;
    std::vector<double> fft_im;
    std::vector<double> fft_power;
    std::vector<int32_t> ref_samples;

    // The window coefficients of the last window computed; recomputed only when the window or
    // the length changes.
    std::vector<double> window_coefs;
    int window_coefs_index = -1;
    int window_coefs_length = 0;

    // x and y values of the last FFT or phase plot.
    std::vector<double> plot_x;
    std::vector<double> plot_y;

    // Window parameters: half-width of a tone's main lobe, and the last bin counted as DC.
    int32_t tone_bins = 6;
    int32_t dc_bins = 13;

    double ref_power = 0.0;

    // Results of the last signal analysis; fund_bin is -1 when it found no fundamental. The
    // fundamental's band and its summed power belong to fund_channel.
    int32_t fund_bin = -1;
    int32_t fund_channel = -1;
    int32_t fund_first = 0;
    int32_t fund_last = -1;
    double fund_power = 0.0;
    int32_t n_harmonics = 0;
    std::array<HarmonicEntry, kMaxHarmonics> harmonics;

    // Markers of the last FFT plot, reserved for a fundamental and kMaxHarmonics harmonics.
    std::vector<FftMarkerText> marker_texts;
    std::vector<FftMarkerLine> marker_lines;
};

}  // namespace analysis::spectrum
