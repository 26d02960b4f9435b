// What a graph's axes show: the span of the data on an autoscaled axis, the range set on a
// manual one. A logarithmic x axis has no place for x <= 0: points there are not shown, and a
// manual range that reaches down to 0 or below starts at the smallest positive x plotted.
#pragma once

#include "platform/ui/model.h"

namespace ui {

struct AxisSpan {
    double lo = 0.0;
    double hi = 0.0;
};

// Whether a point at x has a place on the graph's x axis.
inline bool x_on_axis(const GraphState& g, double x) {
    return !g.x_log || x > 0.0;
}

// Where x lies along the x axis in the axis' own measure: x, or its decade on a log axis.
double x_position(const GraphState& g, double x);

AxisSpan shown_x(const GraphState& g);
// Only points with a place on the x axis count towards an autoscaled y.
AxisSpan shown_y(const GraphState& g);

}  // namespace ui
