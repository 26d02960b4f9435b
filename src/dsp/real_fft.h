// Real-input split-radix transform for power-of-two lengths.
#pragma once

#include <cstdint>

namespace dsp::detail {

// ReFFT for n = 2^k >= 2: x real in, (x, y) complex out. Returns 0 or a status code.
int real_fft_pow2(double* x, double* y, int n);

// real_fft_pow2 of samples[i] * window[i] (window null: the samples alone), the input read
// straight from the samples, the result left in the half-complex order of WindowedHalfComplexReFFT.
int windowed_real_fft_pow2(const std::int32_t* samples, const double* window, double* x, double* y,
                           int n, double** half_complex);

}  // namespace dsp::detail
