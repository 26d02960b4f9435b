// The last step of the four-lane power-of-two transform: the packed real transforms F_r of the
// samples 4i+r (r = 0..3, lane r of the vectors, L = n/4 points each) joined in one radix-4
// pass into the transform of all n samples,
// X[k + pL] = sum_r (-j)^(rp) W^(rk) F_r[k], W = e^(-j2pi/n), p = 0..3.
#pragma once

#include <vector>

#include "dsp/simd.h"

namespace dsp::detail {

// Twiddles of the join for n = 2^k >= 16: for k < n/8, in blocks of four consecutive k, the
// cos and sin of 2pi rk/n for r = 1, 2, 3, so that one vector load fetches each for four bins.
std::vector<double> quad_join_twiddles(int n);

// All n bins, real parts in x and imaginary parts in y (the upper half the conjugate mirror).
void join_quads_spread(const double* twiddles, const Quads* a, double* x, double* y, int n);

// The half-complex result: Re X[k] at packed[k] for k <= n/2, Im X[k] at packed[n - k].
void join_quads_packed(const double* twiddles, const Quads* a, double* packed, int n);

}  // namespace dsp::detail
