// Figures of a noise PSD over a band: the median density, the RMS noise, the 1/f corner and
// the dynamic range against a full-scale sine, whole and per octave band.
#pragma once

#include <optional>
#include <span>
#include <vector>

namespace analysis::digitizer {

// Bins first ... last (inclusive) of a spectrum with bins of width df that lie in
// [lo_hz, hi_hz], none below first_allowed; empty (last < first) when none do.
struct BinRange {
    int first = 0;
    int last = -1;
    bool empty() const { return last < first; }
    int count() const { return empty() ? 0 : last - first + 1; }
};
BinRange band_bins(double lo_hz, double hi_hz, double df, int bins, int first_allowed);

// Median of the PSD's bins in range; NaN when the range is empty.
double median_density(std::span<const double> psd, BinRange range);
// sqrt(Σ psd · df) over range: the RMS of the noise in the band, in the PSD's amplitude unit.
double band_rms(std::span<const double> psd, BinRange range, double df);

// The frequency where the 1/f rise crosses 3 dB above white: scanning up from the band's
// first bin while smoothed >= 2 · white, the crossing between the last bin above and the
// first below, interpolated in log frequency and log power. None when the band's first bin
// is already below, or the spectrum never falls below within the band.
std::optional<double> corner_frequency(std::span<const double> smoothed, BinRange range, double df,
                                       double white);

// 20 log10(full-scale sine RMS / noise RMS), both in the same amplitude unit.
double dynamic_range_db(double full_scale_rms, double noise_rms);

struct OctaveBand {
    double lo_hz = 0.0, hi_hz = 0.0;
    double dr_db = 0.0;
};
// The band cut into octaves upward from its lower edge (the last one shorter where the band
// ends), each octave's dynamic range; octaves holding no bin are left out.
std::vector<OctaveBand> octave_dynamic_range(std::span<const double> psd, BinRange range, double df,
                                             double full_scale_rms);

}  // namespace analysis::digitizer
