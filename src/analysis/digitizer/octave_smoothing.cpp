#include "analysis/digitizer/octave_smoothing.h"

#include <algorithm>
#include <cmath>

namespace analysis::digitizer {

std::vector<double> smooth_octave(std::span<const double> spectrum, int fraction) {
    std::vector<double> out(spectrum.begin(), spectrum.end());
    if (fraction <= 0 || spectrum.size() < 3) return out;
    // Prefix sums make every bin's mean one subtraction, whatever its width.
    std::vector<double> prefix(spectrum.size() + 1, 0.0);
    for (std::size_t k = 0; k < spectrum.size(); ++k) prefix[k + 1] = prefix[k] + spectrum[k];
    const double half = std::exp2(1.0 / (2.0 * fraction));
    const auto last = static_cast<double>(spectrum.size() - 1);
    for (std::size_t k = 1; k < spectrum.size(); ++k) {
        const double f = static_cast<double>(k);
        const auto lo = static_cast<std::size_t>(std::max(1.0, std::ceil(f / half)));
        const auto hi = static_cast<std::size_t>(std::min(last, std::floor(f * half)));
        out[k] = (prefix[hi + 1] - prefix[lo]) / static_cast<double>(hi + 1 - lo);
    }
    return out;
}

}  // namespace analysis::digitizer
