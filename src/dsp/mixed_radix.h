// Mixed-radix transform for lengths whose factors are all at most kMaxMixedFactor: reordering
// into digit-reversed order, then the passes.
#pragma once

#include "dsp/mixed_plan.h"

namespace dsp::detail {

inline constexpr int kMaxMixedFactor = 998;

// Reorders a complex input into digit-reversed order (out of place).
void permute(const MixedPlan& plan, const double* src_re, const double* src_im, double* dst_re,
             double* dst_im);

// Reorders a real input into digit-reversed order (out of place).
void Repermute(const MixedPlan& plan, const double* src, double* dst);

// ReFFT for mixed-radix lengths: x real in, (x, y) complex out. Returns 0 or a status code.
int mixRefft(double* x, double* y, int n);

// CxFFT for mixed-radix lengths, in place.
int mixfft(double* re, double* im, int n);

}  // namespace dsp::detail
