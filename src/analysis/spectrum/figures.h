// Every read-out a test shows, named once: the label the panel shows, which is also the key
// `analyze` prints and a limits file names, the digits it is shown with, and how it shows when
// the analysis cannot produce it. The tests' own layouts and the panel's table of read-outs
// are built from these rows.
#pragma once

#include <string_view>

#include "analysis/spectrum/statistic.h"

namespace analysis::spectrum {

// A test's own read-out is dimmed without a value; a converter figure is hidden, so that no
// misleading number shows.
enum class Missing { Dimmed, Hidden };

struct Figure {
    std::string_view label;
    int precision;
    Missing missing = Missing::Dimmed;
    std::string_view units = {};  // shown after the value; empty for a count
};

namespace figures {
// Time domain and histogram.
inline constexpr Figure kMaximum{"MAXIMUM", 0, Missing::Dimmed, "code"};
inline constexpr Figure kMinimum{"MINIMUM", 0, Missing::Dimmed, "code"};
inline constexpr Figure kMean{"MEAN", 2, Missing::Dimmed, "code"};
inline constexpr Figure kStdDev{"STD_DEV", 2, Missing::Dimmed, "code"};
inline constexpr Figure kVariance{"VARIANCE", 2, Missing::Dimmed, "code²"};
inline constexpr Figure kEffectiveResolution{"Effective resolution", 2, Missing::Hidden, "bits"};
inline constexpr Figure kNoiseFreeResolution{"Noise-free resolution", 2, Missing::Hidden, "bits"};
// Signal and noise spectra.
inline constexpr Figure kSn{"S/N", 2, Missing::Dimmed, "dB"};
inline constexpr Figure kSpn{"S/PN", 2, Missing::Dimmed, "dB"};
inline constexpr Figure kSd{"S/D", 2, Missing::Dimmed, "dB"};
inline constexpr Figure kSnd{"S/N+D", 2, Missing::Dimmed, "dB"};
inline constexpr Figure kBins{"# of bins", 0};
inline constexpr Figure kSpotNoiseDb{"Spot Noise dB", 2, Missing::Dimmed, "dB"};
inline constexpr Figure kSpotNoiseNv{"Spot Noise nV", 2, Missing::Dimmed, "nV/√Hz"};
// Converter figures of the signal spectrum.
inline constexpr Figure kSignalDbfs{"Signal dBFS", 2, Missing::Hidden, "dBFS"};
inline constexpr Figure kThd{"THD", 2, Missing::Hidden, "dBc"};
inline constexpr Figure kSinad{"SINAD", 2, Missing::Hidden, "dB"};
inline constexpr Figure kEnob{"ENOB", 2, Missing::Hidden, "bits"};
inline constexpr Figure kEnobFs{"ENOB FS", 2, Missing::Hidden, "bits"};
inline constexpr Figure kSfdr{"SFDR", 2, Missing::Hidden, "dBc"};
inline constexpr Figure kDr{"DR", 2, Missing::Hidden, "dB"};
// The seismic digitizer battery.
inline constexpr Figure kNoiseDensity{"Noise density", 2, Missing::Dimmed, "nV/√Hz"};
inline constexpr Figure kNoiseDbfs{"Noise density dBFS", 2, Missing::Dimmed, "dB re FS²/Hz"};
inline constexpr Figure kNoiseRms{"Noise RMS", 4, Missing::Dimmed, "µV"};
inline constexpr Figure kCorner{"1/f corner", 3, Missing::Dimmed, "Hz"};
inline constexpr Figure kSelfNoiseDensity{"Self-noise density", 2, Missing::Dimmed, "nV/√Hz"};
inline constexpr Figure kRelativeGain{"Relative gain", 5, Missing::Dimmed, "dB"};
inline constexpr Figure kRelativePhase{"Relative phase", 4, Missing::Dimmed, "°"};
inline constexpr Figure kNlnmMargin{"NLNM margin", 1, Missing::Hidden, "dB"};
inline constexpr Figure kCrosstalkLevel{"Crosstalk", 2, Missing::Dimmed, "dB"};
inline constexpr Figure kSinadFit{"SINAD fit", 2, Missing::Dimmed, "dB"};
inline constexpr Figure kEnobFit{"ENOB fit", 2, Missing::Dimmed, "bits"};
inline constexpr Figure kFitFrequency{"Fit frequency", 6, Missing::Dimmed, "Hz"};
inline constexpr Figure kFitAmplitude{"Fit amplitude", 3, Missing::Dimmed, "dBFS"};

inline constexpr const Figure* kAll[] = {&kMaximum,
                                         &kMinimum,
                                         &kMean,
                                         &kStdDev,
                                         &kVariance,
                                         &kEffectiveResolution,
                                         &kNoiseFreeResolution,
                                         &kSn,
                                         &kSpn,
                                         &kSd,
                                         &kSnd,
                                         &kBins,
                                         &kSpotNoiseDb,
                                         &kSpotNoiseNv,
                                         &kSignalDbfs,
                                         &kThd,
                                         &kSinad,
                                         &kEnob,
                                         &kEnobFs,
                                         &kSfdr,
                                         &kDr,
                                         &kNoiseDensity,
                                         &kNoiseDbfs,
                                         &kNoiseRms,
                                         &kCorner,
                                         &kSelfNoiseDensity,
                                         &kRelativeGain,
                                         &kRelativePhase,
                                         &kNlnmMargin,
                                         &kCrosstalkLevel,
                                         &kSinadFit,
                                         &kEnobFit,
                                         &kFitFrequency,
                                         &kFitAmplitude};
}  // namespace figures

// The units of the figure with this label; empty for a count or an unknown label.
constexpr std::string_view units_of(std::string_view label) {
    for (const Figure* f : figures::kAll)
        if (f->label == label) return f->units;
    return {};
}

// The figure's read-out before the analysis gives it a value.
constexpr Statistic blank(const Figure& f) {
    return {f.label, f.precision, {}};
}

}  // namespace analysis::spectrum
