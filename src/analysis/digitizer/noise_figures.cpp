#include "analysis/digitizer/noise_figures.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace analysis::digitizer {

BinRange band_bins(double lo_hz, double hi_hz, double df, int bins, int first_allowed) {
    BinRange r;
    if (!(df > 0.0) || bins <= 0 || !(hi_hz >= lo_hz)) return r;
    r.first = std::max(first_allowed, static_cast<int>(std::ceil(lo_hz / df - 1e-9)));
    r.last = std::min(bins - 1, static_cast<int>(std::floor(hi_hz / df + 1e-9)));
    return r;
}

double median_density(std::span<const double> psd, BinRange range) {
    if (range.empty() || range.last >= static_cast<int>(psd.size()))
        return std::numeric_limits<double>::quiet_NaN();
    std::vector<double> v(psd.begin() + range.first, psd.begin() + range.last + 1);
    const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    if (v.size() % 2 == 1) return *mid;
    return (*mid + *std::max_element(v.begin(), mid)) / 2.0;
}

double band_rms(std::span<const double> psd, BinRange range, double df) {
    double sum = 0.0;
    for (int k = range.first; k <= range.last && k < static_cast<int>(psd.size()); ++k)
        sum += psd[k];
    return std::sqrt(std::max(0.0, sum * df));
}

std::optional<double> corner_frequency(std::span<const double> smoothed, BinRange range, double df,
                                       double white) {
    if (range.empty() || range.last >= static_cast<int>(smoothed.size()) || !(white > 0.0))
        return std::nullopt;
    const double threshold = 2.0 * white;
    if (smoothed[range.first] < threshold) return std::nullopt;
    for (int k = range.first + 1; k <= range.last; ++k) {
        if (smoothed[k] >= threshold) continue;
        const double f0 = std::log((k - 1) * df), f1 = std::log(k * df);
        const double p0 = std::log(smoothed[k - 1]), p1 = std::log(std::max(smoothed[k], 1e-300));
        const double t = p0 == p1 ? 0.0 : (p0 - std::log(threshold)) / (p0 - p1);
        return std::exp(f0 + t * (f1 - f0));
    }
    return std::nullopt;
}

double dynamic_range_db(double full_scale_rms, double noise_rms) {
    return 20.0 * std::log10(full_scale_rms / noise_rms);
}

std::vector<OctaveBand> octave_dynamic_range(std::span<const double> psd, BinRange range, double df,
                                             double full_scale_rms) {
    std::vector<OctaveBand> out;
    if (range.empty() || !(df > 0.0)) return out;
    const double top = range.last * df;
    for (double lo = std::max(range.first, 1) * df; lo <= top; lo *= 2.0) {
        const double hi = std::min(2.0 * lo, top);
        BinRange r = band_bins(lo, hi, df, range.last + 1, range.first);
        // Adjacent octaves share no bin: the upper edge belongs to the next one.
        if (hi < top && r.last * df >= hi - 1e-9 * df) --r.last;
        if (r.empty()) continue;
        out.push_back({lo, hi, dynamic_range_db(full_scale_rms, band_rms(psd, r, df))});
    }
    return out;
}

}  // namespace analysis::digitizer
