#include "platform/ui/plot_search.h"

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

double x_at(const Plot& p, std::size_t i) {
    return p.x.empty() ? static_cast<double>(i) : p.x[i];
}

}  // namespace

bool is_function(const Plot& p) {
    if (p.kind == PlotKind::Text || p.kind == PlotKind::Segment) return false;
    return p.x.empty() || std::is_sorted(p.x.begin(), p.x.end());
}

std::optional<std::size_t> nearest_x(const Plot& p, double x) {
    const std::size_t n = p.y.size();
    if (n == 0 || !std::isfinite(x)) return std::nullopt;
    std::size_t i = 0;
    if (p.x.empty()) {
        i = static_cast<std::size_t>(std::clamp(std::round(x), 0.0, static_cast<double>(n - 1)));
    } else {
        i = static_cast<std::size_t>(std::lower_bound(p.x.begin(), p.x.end(), x) - p.x.begin());
        if (i == n || (i > 0 && x - p.x[i - 1] <= p.x[i] - x)) --i;
    }
    return i;
}

std::optional<std::size_t> highest_peak(const Plot& p, double x_lo, double x_hi,
                                        std::optional<double> below) {
    const std::size_t n = p.y.size();
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = x_at(p, i), y = p.y[i];
        if (x < x_lo || x > x_hi || !std::isfinite(y)) continue;
        // A flat top counts once, at its first point.
        const bool rises = i == 0 || p.y[i - 1] < y;
        std::size_t j = i + 1;
        while (j < n && p.y[j] == y) ++j;
        const bool falls = j == n || p.y[j] < y;
        if (!rises || !falls) continue;
        if (below && !(y < *below)) continue;
        if (!best || y > p.y[*best]) best = i;
    }
    return best;
}

}  // namespace ui
