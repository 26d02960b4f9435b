// Array statistics: extremes, histogram, mean with variance / standard deviation.
#include <cmath>
#include <limits>

#include "dsp/dsp.h"

namespace dsp {

int MaxMin1D(const double x[], int n, double* max, int* imax, double* min, int* imin) {
    if (n < 1) return kInvalidCount;
    double hi = std::numeric_limits<double>::quiet_NaN();
    double lo = hi;
    int ihi = -1;
    int ilo = -1;
    int i = 0;
    while (i < n && std::isnan(x[i])) ++i;
    if (i < n) {
        hi = lo = x[i];
        ihi = ilo = i;
        for (++i; i < n; ++i) {
            const double v = x[i];
            // Strict comparisons keep the earliest index on ties and never take a NaN.
            if (v > hi) {
                hi = v;
                ihi = i;
            } else if (v < lo) {
                lo = v;
                ilo = i;
            }
        }
    }
    *max = hi;
    *imax = ihi;
    *min = lo;
    *imin = ilo;
    return 0;
}

int Histogram(const double x[], int n, double base, double top, int counts[], double axis[],
              int intervals) {
    if (!(base < top)) return kInvalidRange;  // also rejects a NaN bound
    if (n < 1 || intervals < 1) return kInvalidCount;
    const double width = (top - base) / intervals;
    const double scale = 1.0 / width;
    for (int i = 0; i < intervals; ++i) {
        counts[i] = 0;
        axis[i] = base + width / 2 + i * width;
    }
    for (int i = 0; i < n; ++i) {
        const double v = x[i];
        // Range test first: it drops NaN and keeps far-away values from overflowing the int
        // conversion. A value just below top whose bin rounds up to `intervals` still belongs
        // to the last bin, like top itself.
        if (!(v >= base && v <= top)) continue;
        const double bin = std::floor(scale * (v - base));
        counts[bin < intervals ? static_cast<int>(bin) : intervals - 1]++;
    }
    return 0;
}

namespace {

// Mean and variance about the middle element: subtracting a pivot first keeps both accurate
// for data with a large common offset.
int pivoted_moments(const double x[], int n, double* mean, double* spread) {
    if (n <= 0) return kInvalidCount;
    const double pivot = x[n / 2];
    double sum = 0.0;
    double sum_sq = 0.0;
    for (int i = 0; i < n; ++i) {
        const double d = x[i] - pivot;
        sum += d;
        sum_sq += d * d;
    }
    const double m = sum / n;
    *mean = pivot + m;
    *spread = sum_sq / n - m * m;
    return 0;
}

}  // namespace

int StdDev(const double x[], int n, double* mean, double* sd) {
    double spread = 0.0;
    const int status = pivoted_moments(x, n, mean, &spread);
    if (status == 0) *sd = std::sqrt(std::fabs(spread));
    return status;
}

int Variance(const double x[], int n, double* mean, double* var) {
    return pivoted_moments(x, n, mean, var);
}

}  // namespace dsp
