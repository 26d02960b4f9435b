#include "analysis/digitizer/range_sum.h"

namespace analysis::digitizer {

RangeSum::RangeSum(std::span<const double> values) : n_(values.size()), tree_(2 * n_, 0.0) {
    for (std::size_t i = 0; i < n_; ++i) tree_[n_ + i] = values[i];
    for (std::size_t i = n_ - 1; i > 0 && n_ > 0; --i) tree_[i] = tree_[2 * i] + tree_[2 * i + 1];
}

double RangeSum::sum(std::size_t lo, std::size_t hi) const {
    if (hi < lo || hi >= n_) return 0.0;
    double s = 0.0;
    for (std::size_t l = lo + n_, r = hi + n_ + 1; l < r; l /= 2, r /= 2) {
        if (l & 1) s += tree_[l++];
        if (r & 1) s += tree_[--r];
    }
    return s;
}

}  // namespace analysis::digitizer
