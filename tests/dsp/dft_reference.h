// Direct evaluation of the DFT sum in long double, the reference for the fast transforms.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>
#include <vector>

namespace dsp_test {

using Spectrum = std::vector<std::complex<long double>>;

// X[k] = sum x[i] e^(sign j2pi ik/n).
inline Spectrum direct_dft(const std::vector<double>& re, const std::vector<double>& im,
                           int sign = -1) {
    const std::size_t n = re.size();
    std::vector<std::complex<long double>> root(n);
    for (std::size_t t = 0; t < n; ++t) {
        const long double a = 2 * std::numbers::pi_v<long double> * t / n;
        root[t] = {std::cos(a), sign * std::sin(a)};
    }
    Spectrum out(n);
    for (std::size_t k = 0; k < n; ++k) {
        std::complex<long double> sum = 0;
        std::size_t t = 0;
        for (std::size_t i = 0; i < n; ++i) {
            sum += std::complex<long double>(re[i], im[i]) * root[t];
            t += k;
            if (t >= n) t -= n;
        }
        out[k] = sum;
    }
    return out;
}

// Largest deviation of (re, im) from ref, relative to the largest bin of ref.
inline double relative_error(const Spectrum& ref, const std::vector<double>& re,
                             const std::vector<double>& im) {
    long double largest = 0, worst = 0;
    for (std::size_t k = 0; k < ref.size(); ++k) {
        largest = std::max(largest, std::abs(ref[k]));
        worst = std::max(worst, std::abs(ref[k] - std::complex<long double>(re[k], im[k])));
    }
    return static_cast<double>(largest > 0 ? worst / largest : worst);
}

}  // namespace dsp_test
