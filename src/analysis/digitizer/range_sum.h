// Sums over ranges of a spectrum without subtracting: a spectrum holding a full-scale tone and
// a noise floor 160 dB below it loses the floor in a difference of prefix sums, so each range
// is added up from the disjoint blocks of a segment tree instead.
#pragma once

#include <span>
#include <vector>

namespace analysis::digitizer {

class RangeSum {
  public:
    explicit RangeSum(std::span<const double> values);
    // values[lo] + ... + values[hi]; 0 when hi < lo.
    double sum(std::size_t lo, std::size_t hi) const;

  private:
    std::size_t n_;
    std::vector<double> tree_;  // leaves at n_ ... 2 n_ - 1
};

}  // namespace analysis::digitizer
