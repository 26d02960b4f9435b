#include "platform/simboard/flicker_noise.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace simboard {

namespace {

constexpr std::size_t kN = FlickerNoise::kSections;
constexpr double kTopCorner = 0.3;  // cycles per word; the lowest is 10^-6.5 below it
// The bank matches 1/f exactly at each pole frequency up to this one; above it, the sections
// near Nyquist cannot follow the discrete-time spectrum's bend.
constexpr double kFitTop = 0.25;

// One section: y[n] = a y[n-1] + w[n], w white of unit variance.
struct Section {
    double a = 0.0;
    double one_minus_a = 0.0;  // kept apart, for the poles within 1e-6 of the unit circle
    // Its PSD at freq (cycles per word), relative to white noise of unit variance, written so
    // the poles near 1 lose no digits.
    double psd(double freq) const {
        const double s = std::sin(std::numbers::pi * freq);
        return 1.0 / (one_minus_a * one_minus_a + 4.0 * a * s * s);
    }
    double stationary_variance() const { return 1.0 / (one_minus_a * (1.0 + a)); }
};

struct Bank {
    std::array<Section, kN> section;
    std::array<double, kN> weight;  // input variance of each section

    double psd(double freq) const {
        double sum = 0.0;
        for (std::size_t k = 0; k < kN; ++k) sum += weight[k] * section[k].psd(freq);
        return sum;
    }
};

// Weights start at each Lorentzian's corner (1 - a, equal power per half decade) and are
// refined by a fixed-point iteration until the bank's PSD is 1/freq at every fit frequency:
// that corrects the discrete-time bend near Nyquist and the missing poles at both ends.
Bank design() {
    Bank b;
    std::array<double, kN> fit{};
    for (std::size_t k = 0; k < kN; ++k) {
        const double corner = kTopCorner * std::pow(10.0, -0.5 * static_cast<double>(k));
        Section& s = b.section[k];
        s.one_minus_a = -std::expm1(-2.0 * std::numbers::pi * corner);
        s.a = 1.0 - s.one_minus_a;
        b.weight[k] = s.one_minus_a;
        fit[k] = std::min(corner, kFitTop);
    }
    std::array<std::array<double, kN>, kN> m{};  // fit frequency times section PSD there
    for (std::size_t j = 0; j < kN; ++j)
        for (std::size_t k = 0; k < kN; ++k) m[j][k] = fit[j] * b.section[k].psd(fit[j]);
    for (int round = 0; round < 2000; ++round) {
        std::array<double, kN> s{};
        double worst = 0.0;
        for (std::size_t j = 0; j < kN; ++j) {
            for (std::size_t k = 0; k < kN; ++k) s[j] += m[j][k] * b.weight[k];
            worst = std::max(worst, std::abs(s[j] - 1.0));
        }
        if (worst < 1e-14) break;
        for (std::size_t k = 0; k < kN; ++k) b.weight[k] /= s[k];
    }
    return b;
}

// Zero mean, unit variance, from one random word: the sum of four 16-bit uniforms. A fifth of
// the cost of an exact Gaussian, and exact enough here: only the PSD of a section's input
// matters to its output, most sections average thousands of inputs, and the bank sums
// fourteen of them, so the flicker's excess kurtosis stays within a few thousandths.
double near_gaussian(Rng& rng) {
    const std::uint64_t w = rng.next();
    const double sum = static_cast<double>((w & 0xFFFF) + ((w >> 16) & 0xFFFF) +
                                           ((w >> 32) & 0xFFFF) + (w >> 48)) +
                       2.0;  // each 16-bit uniform centred in its step
    constexpr double kMean = 2.0 * 65536.0, kUnit = 1.7320508075688772 / 65536.0;  // sqrt(3)
    return (sum - kMean) * kUnit;
}

const Bank& bank() {
    static const Bank b = design();
    return b;
}

}  // namespace

FlickerNoise::FlickerNoise(std::uint64_t seed) : rng_(seed) {}

void FlickerNoise::set(double corner, double white_sigma) {
    on_ = corner > 0.0 && white_sigma > 0.0;
    if (!on_) return;
    const Bank& b = bank();
    // The white PSD of white_sigma is flat at sigma^2 over half a cycle per word; the bank's
    // PSD per unit input variance is b.psd. The scale makes their ratio corner / f, exactly
    // at the corner (or at the top of the fit, for a corner above it).
    const double at = std::min(corner, kFitTop);
    scale_ = corner / at / b.psd(at);
    const double amplitude = white_sigma * std::sqrt(scale_);
    for (std::size_t k = 0; k < kN; ++k) {
        b_[k] = amplitude * std::sqrt(b.weight[k]);
        y_[k] = b_[k] * std::sqrt(b.section[k].stationary_variance()) * rng_.gaussian();
    }
}

void FlickerNoise::add(double* out, std::size_t count) {
    if (!on_) return;
    const Bank& b = bank();
    for (std::size_t k = 0; k < kN; ++k) {
        const double a = b.section[k].a, amplitude = b_[k];
        double y = y_[k];
        for (std::size_t i = 0; i < count; ++i) {
            y = a * y + amplitude * near_gaussian(rng_);
            out[i] += y;
        }
        y_[k] = y;
    }
}

double FlickerNoise::ratio(double freq) const {
    return on_ ? scale_ * bank().psd(freq) : 0.0;
}

}  // namespace simboard
