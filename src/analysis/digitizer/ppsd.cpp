#include "analysis/digitizer/ppsd.h"

#include <algorithm>
#include <cmath>

#include "analysis/digitizer/cross_spectra.h"
#include "analysis/digitizer/range_sum.h"

namespace analysis::digitizer {

namespace {

constexpr int kStepsPerOctave = 8;

// The q-th fraction (0..1) of sorted values, interpolated between neighbours.
double percentile(std::vector<double> v, double q) {
    std::sort(v.begin(), v.end());
    const double at = q * static_cast<double>(v.size() - 1);
    const auto lo = static_cast<std::size_t>(std::floor(at));
    const std::size_t hi = std::min(lo + 1, v.size() - 1);
    return v[lo] + (at - static_cast<double>(lo)) * (v[hi] - v[lo]);
}

}  // namespace

Ppsd probabilistic_psd(std::span<const std::int32_t> samples, const PpsdSettings& s) {
    Ppsd out;
    const auto window = static_cast<std::size_t>(std::llround(s.window_seconds * s.rate));
    const auto step = std::max<std::size_t>(
        1, static_cast<std::size_t>(std::llround(window * (1.0 - s.overlap / 100.0))));
    if (window < 2 || samples.size() < window) return out;
    double df = 0.0;
    int first = 1, bins = 0;
    for (std::size_t start = 0; start + window <= samples.size(); start += step) {
        CrossSpectra p({s.segment, 50.0, s.window_index, s.rate}, 1);
        const std::span<const std::int32_t> block[] = {samples.subspan(start, window)};
        p.add_block(block);
        const std::vector<double> psd = p.psd(0);
        if (psd.empty()) continue;
        if (out.frequencies.empty()) {
            df = p.bin_width();
            bins = p.bins();
            first = p.first_clean_bin();
            // From Nyquist down by 1/8 octave while a whole octave around stays above DC.
            for (double f = (bins - 1) * df / std::sqrt(2.0); f / std::sqrt(2.0) >= first * df;
                 f /= std::exp2(1.0 / kStepsPerOctave))
                out.frequencies.push_back(f);
        }
        const RangeSum sums(psd);
        std::vector<double> row;
        for (double f : out.frequencies) {
            const int lo = std::max(first, static_cast<int>(std::ceil(f / std::sqrt(2.0) / df)));
            const int hi =
                std::min(bins - 1, static_cast<int>(std::floor(f * std::sqrt(2.0) / df)));
            const double mean = hi >= lo ? sums.sum(lo, hi) / (hi - lo + 1) : 0.0;
            row.push_back(1e9 * std::sqrt(std::max(0.0, mean)) * s.volts_per_code);
        }
        out.window_starts.push_back(static_cast<std::int64_t>(start));
        out.spectrogram.push_back(std::move(row));
    }
    for (std::size_t k = 0; k < out.frequencies.size(); ++k) {
        std::vector<double> column;
        for (const auto& row : out.spectrogram) column.push_back(row[k]);
        out.p5.push_back(percentile(column, 0.05));
        out.p50.push_back(percentile(column, 0.50));
        out.p95.push_back(percentile(column, 0.95));
    }
    return out;
}

}  // namespace analysis::digitizer
