// Every read-out a test shows, named once: the label the panel shows, which is also the key
// `analyze` prints and a limits file names, and the digits it is shown with. The tests' own
// layouts and the panel's table of read-outs are built from these rows.
#pragma once

#include <string_view>

#include "analysis/spectrum/statistic.h"

namespace analysis::spectrum {

struct Figure {
    std::string_view label;
    int precision;
};

namespace figures {
// Time domain and histogram.
inline constexpr Figure kMaximum{"MAXIMUM", 0};
inline constexpr Figure kMinimum{"MINIMUM", 0};
inline constexpr Figure kMean{"MEAN", 2};
inline constexpr Figure kStdDev{"STD_DEV", 2};
inline constexpr Figure kVariance{"VARIANCE", 2};
inline constexpr Figure kEffectiveResolution{"Effective resolution", 2};
inline constexpr Figure kNoiseFreeResolution{"Noise-free resolution", 2};
// Signal and noise spectra.
inline constexpr Figure kSn{"S/N", 2};
inline constexpr Figure kSpn{"S/PN", 2};
inline constexpr Figure kSd{"S/D", 2};
inline constexpr Figure kSnd{"S/N+D", 2};
inline constexpr Figure kBins{"# of bins", 0};
inline constexpr Figure kSpotNoiseDb{"Spot Noise dB", 2};
inline constexpr Figure kSpotNoiseNv{"Spot Noise nV", 2};
// Converter figures of the signal spectrum.
inline constexpr Figure kSignalDbfs{"Signal dBFS", 2};
inline constexpr Figure kThd{"THD", 2};
inline constexpr Figure kSinad{"SINAD", 2};
inline constexpr Figure kEnob{"ENOB", 2};
inline constexpr Figure kEnobFs{"ENOB FS", 2};
inline constexpr Figure kSfdr{"SFDR", 2};
inline constexpr Figure kDr{"DR", 2};
}  // namespace figures

// The figure's read-out before the analysis gives it a value.
constexpr Statistic blank(const Figure& f) {
    return {f.label, f.precision, {}};
}

}  // namespace analysis::spectrum
