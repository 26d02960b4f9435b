#include "analysis/digitizer/octave_smoothing.h"

#include <algorithm>
#include <cmath>

#include "analysis/digitizer/range_sum.h"

namespace analysis::digitizer {

std::vector<double> smooth_octave(std::span<const double> spectrum, int fraction) {
    std::vector<double> out(spectrum.begin(), spectrum.end());
    if (fraction <= 0 || spectrum.size() < 3) return out;
    const RangeSum sums(spectrum);
    const double half = std::exp2(1.0 / (2.0 * fraction));
    const auto last = static_cast<double>(spectrum.size() - 1);
    for (std::size_t k = 1; k < spectrum.size(); ++k) {
        const double f = static_cast<double>(k);
        const auto lo = static_cast<std::size_t>(std::max(1.0, std::ceil(f / half)));
        const auto hi = static_cast<std::size_t>(std::min(last, std::floor(f * half)));
        out[k] = sums.sum(lo, hi) / static_cast<double>(hi + 1 - lo);
    }
    return out;
}

}  // namespace analysis::digitizer
