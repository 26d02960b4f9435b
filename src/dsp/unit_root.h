// Accurate roots of unity for twiddle tables.
#pragma once

#include <cstdint>

namespace dsp::detail {

// cos and sin of 2*pi*t/period, exact integer reduction to the first octant first, so each
// entry is correct to about one unit in the last place whatever the length.
void unit_root(std::uint64_t t, std::uint64_t period, double* c, double* s);

}  // namespace dsp::detail
