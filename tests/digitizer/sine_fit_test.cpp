// The sine fits on records of known amplitude, frequency, phase and offset.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "analysis/digitizer/sine_fit.h"

namespace analysis::digitizer {
namespace {

std::vector<double> record(std::size_t n, double a, double f, double phase, double offset,
                           double sigma) {
    std::mt19937_64 rng(5);
    std::normal_distribution<double> g(0.0, sigma > 0 ? sigma : 1.0);
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = a * std::cos(2 * std::numbers::pi * f * i + phase) + offset +
               (sigma > 0 ? g(rng) : 0.0);
    return x;
}

TEST(SineFit, FourParametersRecoverTheSineAndTheNoiseFromAPeakStart) {
    struct Case {
        std::size_t n;
        double f, phase, sigma;
    } cases[] = {{65536, 0.0146, 0.7, 0.0},
                 {65536, 0.0146, -2.5, 30.0},
                 {4096, 0.3107, 1.0, 3.0},
                 {1000, 0.0211, 3.0, 0.5}};
    for (const Case& c : cases) {
        const auto x = record(c.n, 4e6, c.f, c.phase, -1234.5, c.sigma);
        const auto start = peak_frequency(x);
        ASSERT_TRUE(start.has_value());
        EXPECT_NEAR(*start, c.f, 0.1 / c.n) << c.n;
        const auto fit = fit_sine4(x, *start);
        ASSERT_TRUE(fit.has_value()) << c.n;
        EXPECT_NEAR(fit->frequency, c.f, 1e-9) << c.n;
        EXPECT_NEAR(fit->amplitude / 4e6, 1.0, 1e-6);
        EXPECT_NEAR(std::remainder(fit->phase - c.phase, 2 * std::numbers::pi), 0.0, 1e-5);
        EXPECT_NEAR(fit->offset, -1234.5, 0.01 + c.sigma / 10);
        if (c.sigma > 0)
            EXPECT_NEAR(fit->residual_rms / c.sigma, 1.0, 0.1) << c.n;
        else
            EXPECT_LT(fit->residual_rms, 1e-4);
    }
}

TEST(SineFit, ThreeParametersAtAWrongFrequencyLeaveTheMissInTheResidual) {
    const auto x = record(65536, 1e6, 0.01, 0.0, 0.0, 0.0);
    EXPECT_LT(fit_sine3(x, 0.01).residual_rms, 1e-3);
    EXPECT_GT(fit_sine3(x, 0.01 + 0.5 / 65536).residual_rms, 1e5);
    // A start almost half a bin off still converges to the tone.
    const auto fit = fit_sine4(x, 0.01 + 0.4 / 65536);
    ASSERT_TRUE(fit.has_value());
    EXPECT_NEAR(fit->frequency, 0.01, 1e-10);
}

TEST(SineFit, RefusesWhatHoldsNoSine) {
    EXPECT_FALSE(peak_frequency(std::vector<double>(8, 1.0)).has_value());
    EXPECT_FALSE(peak_frequency(std::vector<double>(4096, 0.0)).has_value());
    EXPECT_FALSE(fit_sine4(std::vector<double>(3, 1.0), 0.1).has_value());
    EXPECT_FALSE(fit_sine4(record(1024, 1.0, 0.1, 0, 0, 0), 0.6).has_value());
    EXPECT_FALSE(fit_sine4(std::vector<double>(1024, 0.0), 0.1).has_value());
}

}  // namespace
}  // namespace analysis::digitizer
