// Spectral measurements on simulated samples: tone amplitudes and averaged noise spectra.
#pragma once

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "dsp/dsp.h"
#include "platform/simboard/signal_source.h"

namespace simboard::test {

// Peak amplitude of the component at `freq` cycles/sample, through a Hann window.
inline double amplitude_at(const std::vector<double>& x, double freq) {
    const double two_pi = 2.0 * std::numbers::pi;
    std::complex<double> acc = 0;
    double wsum = 0;
    const double n = static_cast<double>(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double w = 0.5 - 0.5 * std::cos(two_pi * i / n);
        acc += w * x[i] * std::polar(1.0, -two_pi * freq * static_cast<double>(i));
        wsum += w;
    }
    return 2.0 * std::abs(acc) / wsum;
}

inline double dbfs(double amplitude) {
    return 20.0 * std::log10(amplitude / kFullScaleCode);
}

// One-sided PSD per cycle per word, bin k at k / n, averaged over Hann-windowed segments of n
// samples (a power of two) overlapping by half: white noise of variance s^2 reads 2 s^2.
inline std::vector<double> averaged_psd(const std::vector<double>& x, int n) {
    std::vector<double> window(n), re(n), im(n), psd(n / 2 + 1);
    double power = 0;
    for (int i = 0; i < n; ++i) {
        window[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / n);
        power += window[i] * window[i];
    }
    int segments = 0;
    for (std::size_t start = 0; start + n <= x.size(); start += n / 2, ++segments) {
        for (int i = 0; i < n; ++i) re[i] = window[i] * x[start + i];
        dsp::ReFFT(re.data(), im.data(), n);
        for (int k = 0; k <= n / 2; ++k) psd[k] += re[k] * re[k] + im[k] * im[k];
    }
    for (double& p : psd) p *= 2.0 / (power * segments);
    return psd;
}

}  // namespace simboard::test
