// Finding points on a plot: the point a click means and the peaks a marker can step through.
#pragma once

#include <cstddef>
#include <optional>

#include "platform/ui/model.h"

namespace ui {

// A plot whose y is a function of x (x in order, or y against its index).
bool is_function(const Plot& p);

// The index of the point of a function plot whose x is nearest to x; none for an empty plot.
// With log_x nearness is measured in decades and points at x <= 0 are no candidates.
std::optional<std::size_t> nearest_x(const Plot& p, double x, bool log_x = false);

// The highest local maximum of a function plot with x in [x_lo, x_hi]; with below, the highest
// one lower than below (the next peak down). None when there is no such peak.
std::optional<std::size_t> highest_peak(const Plot& p, double x_lo, double x_hi,
                                        std::optional<double> below = std::nullopt);

}  // namespace ui
