// Tables of the mixed-radix transform for one length: factors, pass geometry, twiddle factors
// and the digit-reversed ordering.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "dsp/factorize.h"

namespace dsp::detail {

// Radices with a butterfly of their own; any other (odd) radix takes the generic one.
inline bool has_own_butterfly(int radix) {
    return radix == 2 || radix == 3 || radix == 4 || radix == 5 || radix == 8 || radix == 10;
}

struct MixedPass {
    int radix = 0;
    int span = 0;            // length of the sub-transforms this pass joins
    bool full_rows = false;  // rows b = 1..radix-1 stored; otherwise only row 1, powers derived
    // e^(-j2pi bk/(radix*span)): row b-1 holds k = 0..span-1.
    const double* tw_re = nullptr;
    const double* tw_im = nullptr;
    // Radices without a butterfly of their own: cos and sin of 2pi t/radix, t < radix.
    const double* trig_cos = nullptr;
    const double* trig_sin = nullptr;
};

class MixedPlan {
  public:
    // Whole rows are kept while a pass's table stays this small (complex entries); above it
    // the table would cost more memory traffic than deriving the powers.
    static constexpr std::size_t kFullRowEntries = 1 << 15;

    static std::shared_ptr<const MixedPlan> build(int n);
    MixedPlan() = default;
    MixedPlan(const MixedPlan&) = delete;  // the passes point into tables_
    MixedPlan& operator=(const MixedPlan&) = delete;
    std::size_t bytes() const { return tables_.capacity() * sizeof(double) + sizeof(*this); }

    int n() const { return n_; }
    const Factors& factors() const { return factors_; }
    const MixedPass& pass(int p) const { return passes_[p]; }

    // Calls f(pos, src) for pos = 0..n-1 in order, src being the input index that belongs at
    // position pos of the digit-reversed order.
    template <class F>
    void for_each_digit_reversed(F&& f) const;

  private:
    void transTableSetup();
    void initTrig(MixedPass& pass, double* table) const;

    int n_ = 0;
    Factors factors_;
    MixedPass passes_[Factors::kMax];
    int src_weight_[Factors::kMax] = {};  // weight in the input index of each digit
    std::vector<double> tables_;
};

std::shared_ptr<const MixedPlan> mixed_plan(int n);

template <class F>
void MixedPlan::for_each_digit_reversed(F&& f) const {
    // The first pass's digit varies fastest in the position and slowest in the input index.
    const int radix0 = factors_.f[0];
    const int w0 = src_weight_[0];
    int digit[Factors::kMax] = {};
    int base = 0;
    for (int pos = 0; pos < n_; pos += radix0) {
        for (int b = 0; b < radix0; ++b) f(pos + b, base + b * w0);
        for (int d = 1; d < factors_.count; ++d) {
            base += src_weight_[d];
            if (++digit[d] < factors_.f[d]) break;
            base -= factors_.f[d] * src_weight_[d];
            digit[d] = 0;
        }
    }
}

}  // namespace dsp::detail
