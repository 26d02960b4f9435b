#include "chip/files/conversion.h"

#include <cmath>

namespace chip {

std::uint32_t scaled_word(double x, double scale) {
    constexpr double kWordRange = 16777216.0;  // 2^24
    const double v = x * scale;
    const double whole = std::trunc(v + 0.5);
    if (!std::isfinite(whole)) return 0;  // the readers never pass these; no undefined cast
    // fmod is exact, so this is the low 24 bits of the two's complement for any magnitude,
    // where a cast of a huge value to an integer would be undefined.
    double low = std::fmod(whole, kWordRange);
    if (low < 0) low += kWordRange;
    return static_cast<std::uint32_t>(low);
}

}  // namespace chip
