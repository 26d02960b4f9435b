// Figures engineers quote beside the signal and histogram tests' own read-outs: signal level
// against full scale, THD, SINAD, ENOB (plain and referred to full scale), SFDR and dynamic
// range from the signal test's bands and sums; effective and noise-free resolution from a
// code histogram's standard deviation. A figure that would rest on a missing fundamental, a
// zero power or a zero deviation is empty rather than a misleading number.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "analysis/spectrum/statistic.h"

namespace analysis::spectrum {

inline constexpr int kSignalFigures = 7;
inline constexpr int kFigSignalDbfs = 0;
inline constexpr int kFigThd = 1;
inline constexpr int kFigSinad = 2;
inline constexpr int kFigEnob = 3;
inline constexpr int kFigEnobFs = 4;
inline constexpr int kFigSfdr = 5;
inline constexpr int kFigDr = 6;
using SignalFigures = std::array<Statistic, kSignalFigures>;

// What one signal analysis measured, as powers, and its own figures in dB.
struct SignalMeasure {
    double signal_power = 0.0;  // the fundamental band's sum, as the signal test sums it
    double fund_peak = 0.0;     // the largest bin of the fundamental band
    // The largest single bin above the DC bins, up to the limit bin, outside the fundamental
    // band; empty when no such bin exists.
    std::optional<double> largest_spur;
    double ref_power = 0.0;  // the full-scale reference of the same window and length
    std::optional<double> sn, sd, snd;
};

// "Signal dBFS", "THD", "SINAD", "ENOB", "ENOB FS", "SFDR", "DR" with empty values.
SignalFigures signal_figures_layout();
// All empty when there is no fundamental: no signal power, or a fundamental whose peak does
// not rise above every other bin (a flat or DC-only spectrum has no tone).
SignalFigures signal_figures(const SignalMeasure& m);

inline constexpr int kCodeFigures = 2;
inline constexpr int kFigEffectiveResolution = 0;
inline constexpr int kFigNoiseFreeResolution = 1;
using CodeFigures = std::array<Statistic, kCodeFigures>;

// "Effective resolution", "Noise-free resolution" (bits) with empty values.
CodeFigures code_figures_layout();
// log2(2 fs_code / std_dev) and log2(2 fs_code / (6.6 std_dev)); empty for a deviation of 0
// (or a full-scale code that is not positive).
CodeFigures code_figures(double std_dev, int32_t fs_code);

}  // namespace analysis::spectrum
