// Helpers shared by the signal and noise statistics.
#pragma once

#include <optional>

namespace analysis::detail {

// Sum of p[first ... last]; 0 for an empty range.
double sum_bins(const double* p, int first, int last);

// First index of the largest p[i], first <= i <= last, searched upward; first if empty.
int first_peak(const double* p, int first, int last);

// Empty for NaN (an estimate that is not a power), the value otherwise, infinities included.
std::optional<double> figure(double value);

double level_db(double power);

}  // namespace analysis::detail
