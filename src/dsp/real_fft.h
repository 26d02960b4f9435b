// Real-input split-radix transform for power-of-two lengths.
#pragma once

namespace dsp::detail {

// ReFFT for n = 2^k >= 2: x real in, (x, y) complex out. Returns 0 or a status code.
int real_fft_pow2(double* x, double* y, int n);

}  // namespace dsp::detail
