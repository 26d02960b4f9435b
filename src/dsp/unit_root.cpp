#include "dsp/unit_root.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace dsp::detail {

void unit_root(std::uint64_t t, std::uint64_t period, double* c, double* s) {
    t %= period;
    const std::uint64_t quadrant = 4 * t / period;
    std::uint64_t r = 4 * t - quadrant * period;  // angle within the quadrant, in period/4ths
    const bool upper = 2 * r > period;            // beyond pi/4: use the complementary angle
    if (upper) r = period - r;
    const double angle =
        std::numbers::pi / 2 * static_cast<double>(r) / static_cast<double>(period);
    double cq = std::cos(angle);
    double sq = std::sin(angle);
    if (upper) std::swap(cq, sq);
    switch (quadrant) {
        case 0:
            *c = cq;
            *s = sq;
            break;
        case 1:
            *c = -sq;
            *s = cq;
            break;
        case 2:
            *c = -cq;
            *s = -sq;
            break;
        default:
            *c = sq;
            *s = -cq;
            break;
    }
}

}  // namespace dsp::detail
