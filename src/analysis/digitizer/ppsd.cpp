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

PpsdBuilder::PpsdBuilder(const PpsdSettings& settings)
    : s_(settings),
      window_(static_cast<std::size_t>(std::max(0LL, std::llround(s_.window_seconds * s_.rate)))),
      step_(std::max<std::size_t>(
          1, static_cast<std::size_t>(std::llround(window_ * (1.0 - s_.overlap / 100.0))))) {}

void PpsdBuilder::add_window(std::span<const std::int32_t> samples, std::int64_t start) {
    if (window_ < 2 || samples.size() != window_) return;
    CrossSpectra p({s_.segment, 50.0, s_.window_index, s_.rate}, 1);
    const std::span<const std::int32_t> block[] = {samples};
    p.add_block(block);
    const std::vector<double> psd = p.psd(0);
    if (psd.empty()) return;
    if (out_.frequencies.empty()) {
        df_ = p.bin_width();
        bins_ = p.bins();
        first_ = p.first_clean_bin();
        // From Nyquist down by 1/8 octave while a whole octave around stays above DC.
        for (double f = (bins_ - 1) * df_ / std::sqrt(2.0); f / std::sqrt(2.0) >= first_ * df_;
             f /= std::exp2(1.0 / kStepsPerOctave))
            out_.frequencies.push_back(f);
    }
    const RangeSum sums(psd);
    std::vector<double> row;
    for (double f : out_.frequencies) {
        const int lo = std::max(first_, static_cast<int>(std::ceil(f / std::sqrt(2.0) / df_)));
        const int hi = std::min(bins_ - 1, static_cast<int>(std::floor(f * std::sqrt(2.0) / df_)));
        const double mean = hi >= lo ? sums.sum(lo, hi) / (hi - lo + 1) : 0.0;
        row.push_back(1e9 * std::sqrt(std::max(0.0, mean)) * s_.volts_per_code);
    }
    out_.window_starts.push_back(start);
    out_.spectrogram.push_back(std::move(row));
}

Ppsd PpsdBuilder::finish() {
    Ppsd out = std::move(out_);
    out_ = Ppsd{};
    for (std::size_t k = 0; k < out.frequencies.size(); ++k) {
        std::vector<double> column;
        for (const auto& row : out.spectrogram) column.push_back(row[k]);
        out.p5.push_back(percentile(column, 0.05));
        out.p50.push_back(percentile(column, 0.50));
        out.p95.push_back(percentile(column, 0.95));
    }
    return out;
}

Ppsd probabilistic_psd(std::span<const std::int32_t> samples, const PpsdSettings& s) {
    PpsdBuilder b(s);
    if (b.window() < 2) return {};
    for (std::size_t start = 0; start + b.window() <= samples.size(); start += b.step())
        b.add_window(samples.subspan(start, b.window()), static_cast<std::int64_t>(start));
    return b.finish();
}

}  // namespace analysis::digitizer
