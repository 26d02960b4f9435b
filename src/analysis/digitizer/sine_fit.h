// The least-squares sine fits of IEEE 1241: three parameters at a known frequency
// (A cos ωn + B sin ωn + C), and four, where the frequency is iterated too, starting from the
// spectrum's peak. The residual is everything the sine does not explain: noise and distortion.
#pragma once

#include <optional>
#include <span>

namespace analysis::digitizer {

struct SineFit {
    double amplitude = 0.0;  // peak, in the samples' unit
    double frequency = 0.0;  // cycles per sample
    double phase = 0.0;      // radians at sample 0, of amplitude · cos(2π f n + phase)
    double offset = 0.0;
    double residual_rms = 0.0;
    int iterations = 0;
};

// The frequency of the largest bin above DC of the windowed spectrum, refined between bins by
// a parabola through the log powers; none for fewer than 16 samples or no peak.
std::optional<double> peak_frequency(std::span<const double> x);

SineFit fit_sine3(std::span<const double> x, double frequency);
// Four parameters from start; none when the iteration runs away from the sine (the frequency
// leaves (0, 0.5) or the normal equations are singular).
std::optional<SineFit> fit_sine4(std::span<const double> x, double start);

}  // namespace analysis::digitizer
