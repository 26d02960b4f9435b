#include "analysis/digitizer/crosstalk.h"

#include <algorithm>
#include <cmath>

namespace analysis::digitizer {

namespace {

// A tone whose peak stands less than this far above the median is no tone.
constexpr double kToneOverFloor = 100.0;  // 20 dB
// The floor around a tone is read over this many main-lobe widths on each side.
constexpr int kFloorLobes = 8;

struct Lobe {
    double tone = 0.0;   // power summed over the main lobe
    double floor = 0.0;  // what the noise alone would put there
};

Lobe lobe_at(const std::vector<double>& p, int bin, BinRange range, int w) {
    Lobe l;
    const int lo = std::max(range.first, bin - w), hi = std::min(range.last, bin + w);
    for (int k = lo; k <= hi; ++k) l.tone += p[k];
    std::vector<double> around;
    const int reach = kFloorLobes * (2 * w + 1);
    for (int k = std::max(range.first, bin - reach); k <= std::min(range.last, bin + reach); ++k)
        if (k < bin - w - 1 || k > bin + w + 1) around.push_back(p[k]);
    if (!around.empty()) {
        const auto mid = around.begin() + static_cast<std::ptrdiff_t>(around.size() / 2);
        std::nth_element(around.begin(), mid, around.end());
        l.floor = *mid * (hi - lo + 1);
    }
    return l;
}

}  // namespace

CrosstalkResult crosstalk(std::span<const std::vector<double>> psd, BinRange range, double df,
                          int half_width) {
    CrosstalkResult r;
    if (range.empty()) return r;
    double best = kToneOverFloor;
    int peak = -1;
    for (int c = 0; c < static_cast<int>(psd.size()); ++c) {
        const auto& p = psd[c];
        if (range.last >= static_cast<int>(p.size())) return r;
        const double floor = median_density(p, range);
        const auto top = std::max_element(p.begin() + range.first, p.begin() + range.last + 1);
        if (floor > 0.0 && *top / floor > best) {
            best = *top / floor;
            r.driven = c;
            peak = static_cast<int>(top - p.begin());
        }
    }
    if (r.driven < 0) return r;
    r.frequency = peak * df;
    const Lobe driven = lobe_at(psd[r.driven], peak, range, half_width);
    const double reference = driven.tone - driven.floor;
    for (int c = 0; c < static_cast<int>(psd.size()); ++c) {
        const Lobe l = lobe_at(psd[c], peak, range, half_width);
        CrosstalkLevel level;
        // Less than the floor again on top of the floor is inside the noise (3 dB).
        if (l.tone - l.floor < l.floor) {
            level.db = 10.0 * std::log10(2.0 * l.floor / reference);
            level.upper_bound = true;
        } else {
            level.db = 10.0 * std::log10((l.tone - l.floor) / reference);
        }
        r.levels.push_back(level);
    }
    r.levels[r.driven] = {0.0, false};
    return r;
}

}  // namespace analysis::digitizer
