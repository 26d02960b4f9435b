// The passes of the mixed-radix decimation-in-time transform: per factor, twiddle factors and
// the butterfly of that radix, in place on split real and imaginary arrays.
#pragma once

#include "dsp/mixed_plan.h"
#include "dsp/simd.h"

namespace dsp::detail {

// All passes on complex data in digit-reversed order; the result is in natural order. `work`
// is a work buffer from the cache (scratch of the generic odd butterfly).
void mixfft_passes(const MixedPlan& plan, double* re, double* im, double* work);

// The same transform from data in natural order to the result in digit-reversed order (the
// order `permute` produces), for a convolution, whose pointwise product needs no particular
// order. Only for radices 2, 3, 4, 5, 8 and 10 (powers of two always qualify): false, with the
// data untouched, for other plans.
bool mixfft_dif_passes(const MixedPlan& plan, double* re, double* im);

// Real input: `re` holds the digit-reversed real samples, `im` is scratch. Only the bins
// 0..n/2 are computed, the others being their conjugates; they end up in positions 0..n/2 of
// re and im, the rest of both arrays being scratch. The Lanes version runs one transform in
// each lane.
void mixRefft_passes(const MixedPlan& plan, double* re, double* im, double* work);
void mixRefft_passes(const MixedPlan& plan, Lanes* re, Lanes* im, double* work);

}  // namespace dsp::detail
