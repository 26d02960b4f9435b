#include "analysis/spectrum/stats_common.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/spectrum/fft_stats.h"
#include "analysis/spectrum/figures.h"
#include "analysis/spectrum/reference.h"

namespace analysis::spectrum {

namespace detail {

namespace {

// Bands run to half a million bins. Four lanes, lane j taking the bins first + j, first + j + 4,
// ..., so that no addition or comparison waits for the one before it; every band sum goes
// through here, so equal bands always sum alike.
constexpr int kLanes = 4;

// Sum and peak of p[first ... last]; on equal peaks the lowest index, or the highest when
// kHighestOnTie. The peak is `first` when no bin compares (NaN only or an empty range).
template <bool kTrackPeak, bool kHighestOnTie>
SumAndPeak scan(const double* p, int first, int last) {
    double sum[kLanes] = {};
    double best[kLanes];
    int at[kLanes];
    for (int j = 0; j < kLanes; ++j) {
        best[j] = -std::numeric_limits<double>::infinity();
        at[j] = -1;
    }
    const auto take = [&](int j, int i) {
        sum[j] += p[i];
        if constexpr (kTrackPeak) {
            if (p[i] > best[j] || (kHighestOnTie && p[i] == best[j])) {
                best[j] = p[i];
                at[j] = i;
            }
        }
    };
    int i = first;
    for (; i + kLanes - 1 <= last; i += kLanes)
        for (int j = 0; j < kLanes; ++j) take(j, i + j);
    for (int j = 0; i <= last; ++i, ++j) take(j, i);

    SumAndPeak r{(sum[0] + sum[1]) + (sum[2] + sum[3]), first};
    if constexpr (kTrackPeak) {
        double top = -std::numeric_limits<double>::infinity();
        for (int j = 0; j < kLanes; ++j) {
            if (at[j] < 0) continue;
            const bool tie_wins = kHighestOnTie ? at[j] > r.peak : at[j] < r.peak;
            if (best[j] > top || (best[j] == top && tie_wins)) {
                top = best[j];
                r.peak = at[j];
            }
        }
    }
    return r;
}

}  // namespace

double sum_bins(const double* p, int first, int last) {
    return scan<false, false>(p, first, last).sum;
}

int first_peak(const double* p, int first, int last) {
    return scan<true, false>(p, first, last).peak;
}

SumAndPeak sum_and_peak_upward(const double* p, int first, int last) {
    return scan<true, false>(p, first, last);
}

SumAndPeak sum_and_peak_downward(const double* p, int first, int last) {
    return scan<true, true>(p, first, last);
}

std::optional<double> figure(double value) {
    if (std::isnan(value)) return std::nullopt;
    return value;
}

// log10 of 0 is -infinity and of a negative value NaN; both are meant here.
double level_db(double power) {
    return 10.0 * std::log10(power);
}

}  // namespace detail

FftStats signal_stats_layout() {
    using namespace figures;
    FftStats s{{{blank(kSn), blank(kSpn), blank(kSd), blank(kSnd), blank(kBins)}}};
    s.figure_count = kSignalFigures;
    return s;
}

FftStats noise_stats_layout() {
    using namespace figures;
    return {{{blank(kSn), blank(kSpn), blank(kSpotNoiseDb), blank(kSpotNoiseNv), blank(kBins)}}};
}

int bandlimit_bin(int32_t limit_bw, double fs, int n) {
    const int half = n / 2;
    const double bin = limit_bw * (n / fs);
    int limit = 0;
    if (bin >= half) {
        limit = half;
    } else if (bin >= 1.0) {
        limit = static_cast<int>(bin);
    }
    return limit == 0 ? half - 1 : limit;
}

int minimum_fft_samples(int dc_bins, int tone_bins) {
    return 2 * (dc_bins + 2 * tone_bins + 3);
}

namespace {

bool reference_ready(SpectrumState& state, const std::array<int, kSpectrumChannels>& ch_count,
                     const SpectrumSettings& settings, const FftErrorReporter& errors) {
    if (getReferenceFFT(state, ch_count[0], settings.fs_code, settings.window_index) == 0)
        return true;
    errors.raise(fft_error::kSampleSizeTooSmall, 0);
    return false;
}

bool valid_channel(int channel) {
    return channel >= 0 && channel < kSpectrumChannels;
}

}  // namespace

FftStats signal_fft(SpectrumState& state, const std::array<int, kSpectrumChannels>& ch_count,
                    int stat_ch, const SpectrumSettings& settings, const FftErrorReporter& errors) {
    reference_ready(state, ch_count, settings, errors);
    if (!valid_channel(stat_ch)) return signal_stats_layout();
    return signal_FFT_stats(state, stat_ch, ch_count[stat_ch], settings, errors);
}

FftStats noise_fft(SpectrumState& state, const std::array<int, kSpectrumChannels>& ch_count,
                   int stat_ch, const SpectrumSettings& settings, const FftErrorReporter& errors) {
    reference_ready(state, ch_count, settings, errors);
    if (!valid_channel(stat_ch)) return noise_stats_layout();
    return noise_FFT_stats(state, stat_ch, ch_count[stat_ch], settings, errors);
}

}  // namespace analysis::spectrum
