#include "platform/ui/axis_range.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "platform/ui/events.h"

namespace ui {

namespace {

// A log axis with nothing to fit shows this many decades below its top.
constexpr double kLogFallbackSpan = 1000.0;

// The smallest and largest finite value the shown points hold on one axis; none without one.
std::optional<AxisSpan> data_span(const GraphState& g, bool x_axis) {
    std::optional<AxisSpan> s;
    for (const Plot& p : g.plots) {
        for (size_t i = 0; i < p.y.size(); ++i) {
            const double x = p.x.empty() ? double(i) : p.x[i];
            const double v = x_axis ? x : p.y[i];
            if (!x_on_axis(g, x) || !std::isfinite(v)) continue;
            if (!s)
                s = AxisSpan{v, v};
            else
                s->lo = std::min(s->lo, v), s->hi = std::max(s->hi, v);
        }
    }
    return s;
}

AxisSpan autoscaled(const GraphState& g, bool x_axis) {
    const bool log = x_axis && g.x_log;
    const std::optional<AxisSpan> s = data_span(g, x_axis);
    if (!s) return log ? AxisSpan{1.0, 10.0} : AxisSpan{0.0, 10.0};
    if (s->lo < s->hi) return *s;
    // One value: a decade (log) or a unit (linear) either side of it.
    return log ? AxisSpan{s->lo / 10.0, s->lo * 10.0} : AxisSpan{s->lo - 1.0, s->lo + 1.0};
}

}  // namespace

double x_position(const GraphState& g, double x) {
    return g.x_log ? std::log10(x) : x;
}

AxisSpan shown_x(const GraphState& g) {
    if (g.x.mode == VAL_AUTOSCALE) return autoscaled(g, true);
    AxisSpan r{g.x.min, g.x.max};
    if (!g.x_log || (r.lo > 0.0 && r.hi > 0.0)) return r;
    // The model keeps the range as set, so it comes back whole when the axis turns linear;
    // only what is shown starts above 0.
    if (r.lo > r.hi) std::swap(r.lo, r.hi);
    if (!(r.hi > 0.0)) return autoscaled(g, true);
    const std::optional<AxisSpan> data = data_span(g, true);
    r.lo = data && data->lo < r.hi ? data->lo : r.hi / kLogFallbackSpan;
    return r;
}

AxisSpan shown_y(const GraphState& g) {
    if (g.y.mode == VAL_AUTOSCALE) return autoscaled(g, false);
    return {g.y.min, g.y.max};
}

}  // namespace ui
