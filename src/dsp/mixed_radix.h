// Mixed-radix decimation-in-time transform for lengths whose factors are all at most
// kMaxMixedFactor.
#pragma once

#include "dsp/mixed_plan.h"

namespace dsp::detail {

inline constexpr int kMaxMixedFactor = 998;

// Reorders a complex input into digit-reversed order (out of place).
void permute(const MixedPlan& plan, const double* src_re, const double* src_im, double* dst_re,
             double* dst_im);

// Reorders a real input into digit-reversed order (out of place).
void Repermute(const MixedPlan& plan, const double* src, double* dst);

// All passes in place on digit-reversed complex data; the result is in natural order. `work`
// is a work buffer from the cache.
void mixfft_passes(const MixedPlan& plan, double* re, double* im, double* work);

// The same transform from data in natural order to the result in digit-reversed order (the
// order permute produces), for a convolution, whose pointwise product needs no particular
// order. Only for radices 2, 3, 4, 5, 8 and 10 (powers of two always qualify): false, with the
// data untouched, for other plans.
bool mixfft_dif_passes(const MixedPlan& plan, double* re, double* im);

// Real-input version: `re` holds the digit-reversed real samples, `im` is scratch. Only the
// bins 0..n/2 are computed, the others being their conjugates; they end up in positions
// 0..n/2 of re and im, the rest of both arrays being scratch.
void mixRefft_passes(const MixedPlan& plan, double* re, double* im, double* work);

// ReFFT for mixed-radix lengths: x real in, (x, y) complex out. Returns 0 or a status code.
int mixRefft(double* x, double* y, int n);

// CxFFT for mixed-radix lengths, in place.
int mixfft(double* re, double* im, int n);

}  // namespace dsp::detail
