#include "analysis/spectrum/phase_test.h"

#include <cmath>
#include <cstddef>

#include "analysis/spectrum/averaging.h"

namespace analysis::spectrum {

void phase_test(SpectrumState& state, const std::array<SpectrumChannel, kSpectrumChannels>& data,
                int window_index, double fs, const FftErrorReporter& errors,
                const PhasePlot& plot) {
    const double degrees = 360.0 / (std::atan(1.0) * 8.0);
    for (int c = 0; c < kSpectrumChannels; ++c) {
        const int n = data[c].count;
        if (n < kPhaseMinimumSamples) {
            errors.raise(fft_error::kPhaseSampleSize, c);
            return;
        }
        if (!errors.enabled(c)) continue;
        const double* h = nullptr;
        if (windowed_transform(state, data[c].samples, n, window_index, &h) != 0) continue;
        const int points = n / 2;
        double* x = state.plot_x.data();
        double* phase = state.plot_y.data();
        for (int i = 0; i < points; ++i) {
            const double im = i == 0 ? 0.0 : h[n - i];  // i < n/2 <= n - i
            phase[i] = std::atan2(im, h[i]) * degrees;
            x[i] = fs * i / n;
        }
        if (plot)
            plot(c, {x, static_cast<std::size_t>(points)},
                 {phase, static_cast<std::size_t>(points)});
    }
}

}  // namespace analysis::spectrum
