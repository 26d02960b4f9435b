// Entry points of the transform: pick the power-of-two, mixed-radix or chirp-z path.
#include <bit>

#include "dsp/chirp_z.h"
#include "dsp/dsp.h"
#include "dsp/factorize.h"
#include "dsp/mixed_radix.h"
#include "dsp/real_fft.h"

namespace dsp {

namespace {

bool mixed_radix_length(int n) {
    return detail::factorize(n).largest() <= detail::kMaxMixedFactor;
}

}  // namespace

int ReFFT(double x[], double y[], int n) {
    if (n <= 0) return kInvalidCount;
    if (n == 1) {
        y[0] = 0.0;
        return 0;
    }
    if (std::has_single_bit(static_cast<unsigned>(n))) return detail::real_fft_pow2(x, y, n);
    if (mixed_radix_length(n)) return detail::mixRefft(x, y, n);
    return detail::Chirp_Z(x, nullptr, x, y, n);
}

int WindowedHalfComplexReFFT(const std::int32_t samples[], const double window[], double x[],
                             double y[], int n, double** spectrum) {
    if (n <= 0) return kInvalidCount;
    if (n > 1 && std::has_single_bit(static_cast<unsigned>(n)))
        return detail::windowed_real_fft_pow2(samples, window, x, y, n, spectrum);
    if (window != nullptr) {
        for (int i = 0; i < n; ++i) x[i] = samples[i] * window[i];
    } else {
        for (int i = 0; i < n; ++i) x[i] = samples[i];
    }
    const int status = ReFFT(x, y, n);
    if (status != 0) return status;
    // The upper half of x mirrors the lower; it takes the imaginary parts instead.
    for (int k = 1; k < n - k; ++k) x[n - k] = y[k];
    *spectrum = x;
    return 0;
}

int CxFFT(double re[], double im[], int n) {
    if (n <= 0) return kInvalidCount;
    if (n == 1) return 0;
    if (mixed_radix_length(n)) return detail::mixfft(re, im, n);
    return detail::Chirp_Z(re, im, re, im, n);
}

int CxInvFFT(double re[], double im[], int n) {
    const int status = CxFFT(im, re, n);
    if (status != 0) return status;
    const double scale = 1.0 / n;
    for (int i = 0; i < n; ++i) {
        re[i] *= scale;
        im[i] *= scale;
    }
    return 0;
}

}  // namespace dsp
