// Helpers shared by the signal and noise statistics.
#pragma once

#include <optional>

namespace analysis::spectrum::detail {

// Sum of p[first ... last]; 0 for an empty range.
double sum_bins(const double* p, int first, int last);

// First index of the largest p[i], first <= i <= last, searched upward; first if empty.
int first_peak(const double* p, int first, int last);

// Sum of p[first ... last] and the index of its largest bin, searched upward (the lowest of
// equal peaks) or downward (the highest); one pass over the range, which must not be empty.
struct SumAndPeak {
    double sum;
    int peak;
};
SumAndPeak sum_and_peak_upward(const double* p, int first, int last);
SumAndPeak sum_and_peak_downward(const double* p, int first, int last);

// Empty for NaN (an estimate that is not a power), the value otherwise, infinities included.
std::optional<double> figure(double value);

double level_db(double power);

}  // namespace analysis::spectrum::detail
