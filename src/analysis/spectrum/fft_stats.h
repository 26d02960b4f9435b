// Signal and noise figures of an averaged spectrum: the bins are classed into DC, fundamental,
// harmonics, peak noise and noise with widths set by the window; collisions adjust the bands
// and raise error entries, and the analysis goes on.
#pragma once

#include <array>
#include <cstdint>

#include "analysis/spectrum/converter_figures.h"
#include "analysis/spectrum/fft_errors.h"
#include "analysis/spectrum/spectrum_state.h"
#include "analysis/spectrum/statistic.h"

namespace analysis::spectrum {

// The analysis settings the spectra read (mirrors of the setup panel's fields).
struct SpectrumSettings {
    double fs = 0.0;       // sample rate, Hz
    int32_t fs_code = 0;   // sample value of a full-scale peak
    double fs_volt = 0.0;  // full-scale span, volts
    int32_t limit_bw = 0;  // bandwidth limit, Hz; 0 = none
    int32_t window_index = 0;
};

// Displays 1 to 5. Signal test: "S/N", "S/PN", "S/D", "S/N+D", "# of bins".
// Noise test: "S/N", "S/PN", "Spot Noise dB", "Spot Noise nV", "# of bins".
// The signal test's converter figures follow them (figure_count 7); the noise test has none.
struct FftStats {
    std::array<Statistic, 5> displays;
    SignalFigures figures = signal_figures_layout();
    int figure_count = 0;
};

inline constexpr int kStatSN = 0;
inline constexpr int kStatSPN = 1;
inline constexpr int kStatSD = 2;
inline constexpr int kStatSND = 3;
inline constexpr int kStatSpotDb = 2;
inline constexpr int kStatSpotNv = 3;
inline constexpr int kStatBins = 4;

// Display layouts with empty values, for the panel set-up.
FftStats signal_stats_layout();
FftStats noise_stats_layout();

// Last bin that noise and harmonic sums may use for a record of n samples:
// trunc(limit_bw * (n / fs)); no limit (or one below a bin) gives n/2 - 1, and a limit above
// half the sample rate is held at bin n/2.
int bandlimit_bin(int32_t limit_bw, double fs, int n);

// Records shorter than this cannot hold the bin layout (DC bins, the fundamental band and a
// noise region); the signal and noise tests refuse them with error 20.
int minimum_fft_samples(int dc_bins, int tone_bins);

// Signal figures of channel's averaged spectrum (n samples, relative to the fundamental).
// Sets fund_bin, n_harmonics, the harmonic table, and lowers dc_bins when the fundamental
// band reaches into the DC bins.
FftStats signal_FFT_stats(SpectrumState& state, int channel, int n,
                          const SpectrumSettings& settings, const FftErrorReporter& errors);

// Noise figures of channel's averaged spectrum, relative to ref_power.
FftStats noise_FFT_stats(SpectrumState& state, int channel, int n, const SpectrumSettings& settings,
                         const FftErrorReporter& errors);

// The computations of the signal and noise tests: the reference for channel 0's count, then
// the figures of the statistics channel. A reference that cannot be built (channel 0 shorter
// than 48 samples) is reported as error 20 on channel 0.
FftStats signal_fft(SpectrumState& state, const std::array<int, kSpectrumChannels>& ch_count,
                    int stat_ch, const SpectrumSettings& settings, const FftErrorReporter& errors);
FftStats noise_fft(SpectrumState& state, const std::array<int, kSpectrumChannels>& ch_count,
                   int stat_ch, const SpectrumSettings& settings, const FftErrorReporter& errors);

}  // namespace analysis::spectrum
