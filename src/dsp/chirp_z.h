// Chirp-z (Bluestein) transform for lengths with a prime factor above the mixed-radix limit:
// the DFT as a convolution with a chirp, done by power-of-two transforms.
#pragma once

namespace dsp::detail {

// DFT of (xr + j xi) into (out_re, out_im); xi == nullptr means a real input. The outputs may
// be the input arrays. Returns 0 or a status code.
int Chirp_Z(const double* xr, const double* xi, double* out_re, double* out_im, int n);

}  // namespace dsp::detail
