#include "analysis/spectrum/stats_common.h"

#include <algorithm>
#include <cmath>

#include "analysis/spectrum/fft_stats.h"
#include "analysis/spectrum/reference.h"

namespace analysis {

namespace detail {

double sum_bins(const double* p, int first, int last) {
    double sum = 0.0;
    for (int i = first; i <= last; ++i) sum += p[i];
    return sum;
}

int first_peak(const double* p, int first, int last) {
    int peak = first;
    for (int i = first + 1; i <= last; ++i)
        if (p[i] > p[peak]) peak = i;
    return peak;
}

SumAndPeak sum_and_peak_upward(const double* p, int first, int last) {
    SumAndPeak r{p[first], first};
    for (int i = first + 1; i <= last; ++i) {
        r.sum += p[i];
        if (p[i] > p[r.peak]) r.peak = i;
    }
    return r;
}

// The sum still runs upward, so it rounds exactly like sum_bins.
SumAndPeak sum_and_peak_downward(const double* p, int first, int last) {
    SumAndPeak r{0.0, first};
    for (int i = first; i <= last; ++i) {
        r.sum += p[i];
        if (p[i] >= p[r.peak]) r.peak = i;
    }
    return r;
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
    return {{{{"S/N", 2, {}},
              {"S/PN", 2, {}},
              {"S/D", 2, {}},
              {"S/N+D", 2, {}},
              {"# of bins", 0, {}}}}};
}

FftStats noise_stats_layout() {
    return {{{{"S/N", 2, {}},
              {"S/PN", 2, {}},
              {"Spot Noise dB", 2, {}},
              {"Spot Noise nV", 2, {}},
              {"# of bins", 0, {}}}}};
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

}  // namespace analysis
