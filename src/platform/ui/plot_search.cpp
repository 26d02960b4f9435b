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

std::optional<std::size_t> nearest_x(const Plot& p, double x, bool log_x) {
    const std::size_t n = p.y.size();
    if (n == 0 || !std::isfinite(x) || (log_x && !(x > 0))) return std::nullopt;
    // The first point at or right of x, and its left neighbour, are the candidates.
    std::size_t right = 0;
    if (p.x.empty())
        right = static_cast<std::size_t>(std::clamp(std::ceil(x), 0.0, static_cast<double>(n)));
    else
        right = static_cast<std::size_t>(std::lower_bound(p.x.begin(), p.x.end(), x) - p.x.begin());
    const auto distance = [&](std::size_t i) {
        const double at = x_at(p, i);
        return log_x ? std::abs(std::log10(at) - std::log10(x)) : std::abs(at - x);
    };
    std::optional<std::size_t> best;
    // On a tie the left one.
    for (std::size_t i = right == 0 ? 0 : right - 1; i <= right && i < n; ++i) {
        if (log_x && !(x_at(p, i) > 0)) continue;
        if (!best || distance(i) < distance(*best)) best = i;
    }
    return best;
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
