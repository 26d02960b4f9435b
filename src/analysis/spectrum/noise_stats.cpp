// Noise figures, relative to the full-scale reference (dBFS).
#include <cmath>

#include "analysis/spectrum/fft_stats.h"
#include "analysis/spectrum/stats_common.h"

namespace analysis::spectrum {

using detail::figure;
using detail::level_db;
using detail::sum_bins;

FftStats noise_FFT_stats(SpectrumState& state, int channel, int n, const SpectrumSettings& settings,
                         const FftErrorReporter& errors) {
    FftStats out = noise_stats_layout();
    if (channel < 0 || channel >= kSpectrumChannels || n > core::kBufferEntries) return out;
    const int half = n / 2;
    out.displays[kStatBins].value = half;
    const int w = state.tone_bins;
    const int d = state.dc_bins;
    if (n < minimum_fft_samples(d, w)) {
        errors.raise(fft_error::kSampleSizeTooSmall, channel);
        return out;
    }
    const int limit = bandlimit_bin(settings.limit_bw, settings.fs, n);
    if (limit <= d) {
        errors.raise(fft_error::kNoNoiseBins, channel);
        return out;
    }
    const double* p = state.avg_buff[channel].data();
    const auto [sum, k] = detail::sum_and_peak_upward(p, d + 1, limit);
    const double noise = sum * (limit / (limit - d));
    int lo = k - w;
    int hi = k + w;
    if (lo <= d) {
        lo = d + 1;
        errors.raise(fft_error::kPeakNoiseInDc, channel);
    }
    if (hi > limit) {
        hi = limit;
        errors.raise(fft_error::kPeakNoiseAboveLimit, channel);
    }
    const double peak_noise = sum_bins(p, lo, hi);

    // Without a reference there is no full scale to relate the levels to.
    if (state.ref_power > 0.0) {
        const double reference_db = level_db(state.ref_power);
        out.displays[kStatSN].value = figure(reference_db - level_db(noise));
        out.displays[kStatSPN].value = figure(reference_db - level_db(peak_noise));
        out.displays[kStatSpotDb].value = figure(reference_db - level_db(noise / limit));
    }
    const double squared_half = static_cast<double>(half) * half;
    const double spot_nv = 1e9 * std::sqrt(noise / squared_half / limit) *
                           (settings.fs_volt / 2.0 / std::sqrt(2.0)) / settings.fs_code *
                           std::sqrt(n / settings.fs);
    if (std::isfinite(spot_nv)) out.displays[kStatSpotNv].value = spot_nv;
    return out;
}

}  // namespace analysis::spectrum
