// Signal figures, relative to the measured fundamental (dBc).
#include <algorithm>
#include <cstdint>
#include <optional>

#include "analysis/spectrum/fft_stats.h"
#include "analysis/spectrum/stats_common.h"

namespace analysis::spectrum {

namespace {

using detail::figure;
using detail::first_peak;
using detail::level_db;
using detail::sum_bins;

bool within(int bin, int first, int last) {
    return bin >= first && bin <= last;
}

struct Band {
    int first;
    int last;
};

// The band of the harmonic of order k + 2: the fundamental band moved up by (k + 1) f and
// folded into 0 ... M.
Band harmonic_band(int k, int f, Band fundamental, int n, int dc) {
    const int half = n / 2;
    const int64_t shift = static_cast<int64_t>(k + 1) * f;
    const int a = static_cast<int>((shift + fundamental.first) % n);
    const int b = static_cast<int>((shift + fundamental.last) % n);
    if (a >= half) return {b > half ? n - b : dc, n - a};
    if (b < half) return {a, b};
    return {std::min(a, n - b), half};
}

struct HarmonicSums {
    double power = 0.0;  // HD
    int bins = 0;        // Nh
};

HarmonicSums analyse_harmonics(SpectrumState& state, const double* p, int count, int n, int f,
                               Band fundamental, int limit, int channel,
                               const FftErrorReporter& errors) {
    HarmonicSums sums;
    const int dc = state.dc_bins;
    for (int k = 0; k < count; ++k) {
        HarmonicEntry& h = state.harmonics[k];
        const Band band = harmonic_band(k, f, fundamental, n, dc);
        h = {band.first, band.last, kHarmonicCounted, 0.0};
        if (band.first > band.last) {
            h.status = kHarmonicRejected;
            errors.raise(fft_error::kHarmonicAliased, channel);
        }
        if (band.first < dc) {
            h.status = kHarmonicRejected;
            errors.raise(fft_error::kHarmonicInDc, channel);
        }
        if (within(band.first, fundamental.first, fundamental.last) ||
            within(band.last, fundamental.first, fundamental.last)) {
            h.status = kHarmonicRejected;
            errors.raise(fft_error::kHarmonicInFundamental, channel);
        }
        for (int j = 0; j < k; ++j) {
            const HarmonicEntry& earlier = state.harmonics[j];
            if (earlier.status != kHarmonicCounted) continue;
            if (within(band.first, earlier.first, earlier.last) ||
                within(band.last, earlier.first, earlier.last)) {
                h.status = kHarmonicOverlapBase + j;
                errors.raise(fft_error::kHarmonicOverlap, channel);
                break;
            }
        }
        if (h.status == kHarmonicCounted && band.first <= limit) {
            const int top = std::min(band.last, limit);
            h.power = sum_bins(p, band.first, top);
            sums.bins += top - band.first + 1;
            sums.power += h.power;
        }
    }
    return sums;
}

// The largest single bin between the DC bins and the limit, outside the fundamental band.
std::optional<double> largest_spur(const double* p, int d, Band fundamental, int limit) {
    std::optional<double> largest;
    const auto take = [&](int first, int last) {
        if (first > last) return;
        const double v = p[first_peak(p, first, last)];
        if (!largest || v > *largest) largest = v;
    };
    take(d + 1, std::min(fundamental.first - 1, limit));
    take(std::max(fundamental.last + 1, d + 1), limit);
    return largest;
}

// A fundamental must stand this far above the strongest noise band of its own width. In a
// spectrum of noise alone the "fundamental" is only the strongest noise band, and the next
// strongest lies within a dB or two of it.
constexpr double kFundamentalOverPeakNoiseDb = 6.0;

// No tone to judge: the figures that rest on the fundamental are dropped and no fundamental
// is marked. What the noise alone gives (the bin count, ENOB FS and DR) stays.
void no_fundamental(SpectrumState& state, FftStats& out, int channel,
                    const FftErrorReporter& errors) {
    errors.raise(fft_error::kNoFundamental, channel);
    for (int d : {kStatSN, kStatSPN, kStatSD, kStatSND}) out.displays[d].value.reset();
    for (int i : {kFigSignalDbfs, kFigThd, kFigSinad, kFigEnob, kFigSfdr})
        out.figures[i].value.reset();
    state.fund_bin = -1;
}

}  // namespace

FftStats signal_FFT_stats(SpectrumState& state, int channel, int n,
                          const SpectrumSettings& settings, const FftErrorReporter& errors) {
    FftStats out = signal_stats_layout();
    state.fund_bin = -1;
    state.n_harmonics = 0;
    if (channel < 0 || channel >= kSpectrumChannels || n > core::kBufferEntries) return out;
    out.displays[kStatBins].value = n / 2.0;
    const int w = state.tone_bins;
    if (n < minimum_fft_samples(state.dc_bins, w)) {
        errors.raise(fft_error::kSampleSizeTooSmall, channel);
        return out;
    }
    const double* p = state.avg_buff[channel].data();
    const int half = n / 2;
    const int limit = bandlimit_bin(settings.limit_bw, settings.fs, n);

    // Fundamental: the largest bin, or the largest above DC when that is DC.
    const int m = first_peak(p, 0, half - 1);
    const int f = m > state.dc_bins ? m : first_peak(p, state.dc_bins + 1, half - 1);
    state.fund_bin = f;
    const int s = p[f + 1] > p[f - 1] ? 1 : 0;

    Band fund{f - w - 1 + s, f + w + s};
    if (fund.first <= 0) {
        fund.first = 1;
        state.dc_bins = 0;
        errors.raise(fft_error::kFundamentalTooLow, channel);
    } else if (fund.first <= state.dc_bins) {
        state.dc_bins = fund.first - 1;
        errors.raise(fft_error::kFundamentalInDc, channel);
    }
    if (fund.last > limit) {
        fund.last = limit;
        errors.raise(fft_error::kFundamentalAboveLimit, channel);
    }
    const int d = state.dc_bins;
    const double signal_power = sum_bins(p, fund.first, fund.last);
    state.fund_channel = channel;
    state.fund_first = fund.first;
    state.fund_last = fund.last;
    state.fund_power = signal_power;
    const double signal_db = level_db(signal_power);

    // Noise and distortion: everything between DC and the limit outside the fundamental.
    double below = 0.0, above = 0.0;
    int peak_below = -1, peak_above = -1;
    if (fund.first - 1 > d) {
        const auto r = detail::sum_and_peak_downward(p, d + 1, fund.first - 1);
        below = r.sum;
        peak_below = r.peak;
    }
    if (fund.last + 1 < limit) {
        const auto r = detail::sum_and_peak_upward(p, fund.last + 1, limit);
        above = r.sum;
        peak_above = r.peak;
    }
    double noise_distortion = below + above;
    // fund.last never exceeds the limit here, so only a band above the limit has no width.
    const int fund_width = fund.first > limit ? 0 : fund.last - fund.first;
    const int divisor = limit - d - fund_width;
    const bool noise_bins = divisor > 0;
    if (noise_bins) {
        noise_distortion *= half / divisor;
    } else {
        errors.raise(fft_error::kNoNoiseBins, channel);
    }

    // Peak noise: the strongest bin on either side, with a band as wide as the fundamental's.
    int k = d + 1;
    if (peak_below >= 0 && peak_above >= 0) {
        k = p[peak_below] > p[peak_above] ? peak_below : peak_above;
    } else if (peak_below >= 0) {
        k = peak_below;
    } else if (peak_above >= 0) {
        k = peak_above;
    }
    int lo = k - w - 1 + s;
    int hi = k + w + s;
    if (k < f) {
        if (lo <= d) {
            lo = d + 1;
            errors.raise(fft_error::kPeakNoiseInDc, channel);
        }
        if (hi >= fund.first) {
            hi = fund.first - 1;
            errors.raise(fft_error::kPeakNoiseInFundamental, channel);
        }
    } else {
        if (lo <= fund.last) {
            lo = fund.last + 1;
            errors.raise(fft_error::kPeakNoiseInFundamental, channel);
        }
        if (hi > limit) {
            hi = limit;
            errors.raise(fft_error::kPeakNoiseAboveLimit, channel);
        }
    }
    out.displays[kStatSPN].value = figure(signal_db - level_db(sum_bins(p, lo, hi)));

    // Harmonics: as many as fit below the limit, counted on the largest bin.
    int harmonics = m == 0 ? 1 : (limit + w + s) / m - 1;
    if (harmonics > kMaxHarmonics) {
        harmonics = kMaxHarmonics;
        errors.raise(fft_error::kTooManyHarmonics, channel);
    }
    state.n_harmonics = std::max(harmonics, 0);
    const HarmonicSums distortion =
        analyse_harmonics(state, p, state.n_harmonics, n, f, fund, limit, channel, errors);
    out.displays[kStatSD].value = figure(signal_db - level_db(distortion.power));

    if (noise_bins) {
        out.displays[kStatSND].value = figure(signal_db - level_db(noise_distortion));
        if (half - distortion.bins > 0) {
            const double clean = (noise_distortion - distortion.power) * static_cast<double>(half) /
                                 static_cast<double>(half - distortion.bins);
            out.displays[kStatSN].value = figure(signal_db - level_db(clean));
        }
    }

    SignalMeasure measure;
    measure.signal_power = signal_power;
    if (fund.first <= fund.last) measure.fund_peak = p[first_peak(p, fund.first, fund.last)];
    measure.largest_spur = largest_spur(p, d, fund, limit);
    measure.ref_power = state.ref_power;
    measure.sn = out.displays[kStatSN].value;
    measure.sd = out.displays[kStatSD].value;
    measure.snd = out.displays[kStatSND].value;
    out.figures = signal_figures(measure);
    const std::optional<double>& spn = out.displays[kStatSPN].value;
    if (spn && *spn < kFundamentalOverPeakNoiseDb) no_fundamental(state, out, channel, errors);
    return out;
}

}  // namespace analysis::spectrum
