#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "analysis/spectrum/spectrum.h"
#include "dsp/dsp.h"
#include "spectrum_test_support.h"

namespace {

using analysis::spectrum::SpectrumState;

constexpr int32_t kFullScale = 8388607;

// Main-lobe power of a coherent sine of peak a through a cosine-sum window over the 2K - 1
// bins that hold all of it: bin k gets a0 a n/2, bins k +- j get a_j a n/4.
double coherent_power(const std::vector<double>& coefs, double a, int n) {
    double sum = coefs[0] * coefs[0];
    for (size_t j = 1; j < coefs.size(); ++j) sum += 2.0 * (coefs[j] / 2.0) * (coefs[j] / 2.0);
    const double peak = a * n / 2.0;
    return peak * peak * sum;
}

class Reference : public ::testing::Test {
  protected:
    std::unique_ptr<SpectrumState> state = std::make_unique<SpectrumState>();
};

TEST_F(Reference, ToneOfLength4096LiesOnBin16) {
    const int n = 4096;
    ASSERT_EQ(
        analysis::spectrum::getReferenceFFT(*state, n, kFullScale, analysis::spectrum::kWindowNone),
        0);
    EXPECT_EQ(state->tone_bins, 2);
    EXPECT_NEAR(state->ref_power / coherent_power({1.0}, kFullScale, n), 1.0, 1e-6);
    // The sum covers bins 14 ... 18: bin 16 and four bins that hold only the rounding.
    double outside = 0.0;
    for (int j : {13, 19, 20}) outside += state->fft_power[j];
    EXPECT_LT(outside, state->ref_power * 1e-12);
    EXPECT_GT(state->fft_power[16], 0.999 * state->ref_power);
}

TEST_F(Reference, WindowedToneSumsTheWholeMainLobe) {
    const int n = 4096;
    ASSERT_EQ(analysis::spectrum::getReferenceFFT(*state, n, kFullScale,
                                                  analysis::spectrum::kWindowBlackmanHarris),
              0);
    EXPECT_EQ(state->tone_bins, 3);
    EXPECT_EQ(state->dc_bins, 10);
    EXPECT_NEAR(
        state->ref_power / coherent_power({0.35875, -0.48829, 0.14128, -0.01168}, kFullScale, n),
        1.0, 1e-6);

    ASSERT_EQ(analysis::spectrum::getReferenceFFT(*state, n, kFullScale,
                                                  analysis::spectrum::kWindowQuellan),
              0);
    const std::vector<double> quellan = {
        0.6164032131405,  -0.98537119272586,   0.49603771622007,    -0.14992232793243,
        0.02458719103474, -0.0017660465148687, 0.000031581188567106};
    EXPECT_NEAR(state->ref_power / coherent_power(quellan, kFullScale, n), 1.0, 1e-6);
}

// n = 1000: P = 62, so the tone sits at 16.13 bins; the sum is taken around the peak bin 16.
TEST_F(Reference, ToneBetweenBinsSumsAroundThePeakBin) {
    const int n = 1000;
    const int32_t code = 100000;
    ASSERT_EQ(analysis::spectrum::getReferenceFFT(*state, n, code,
                                                  analysis::spectrum::kWindowBlackmanHarris),
              0);

    std::vector<double> re(n), im(n);
    const double two_pi = 2.0 * std::numbers::pi;
    for (int i = 0; i < n; ++i) {
        const double sample = std::trunc(std::sin(two_pi * i / 62) * code - 0.5);
        const double w = 0.35875 - 0.48829 * std::cos(two_pi * i / n) +
                         0.14128 * std::cos(two_pi * 2 * i / n) -
                         0.01168 * std::cos(two_pi * 3 * i / n);
        re[i] = sample * w;
    }
    ASSERT_EQ(dsp::ReFFT(re.data(), im.data(), n), 0);
    std::vector<double> power(n);
    for (int i = 0; i < n; ++i) power[i] = re[i] * re[i] + im[i] * im[i];
    EXPECT_GT(power[16], power[17]);
    double want = 0.0;
    for (int j = 13; j <= 19; ++j) want += power[j];
    EXPECT_NEAR(state->ref_power / want, 1.0, 1e-9);
}

TEST_F(Reference, RecordTooShortForASineHasNoReference) {
    state->ref_power = 5.0;
    EXPECT_EQ(analysis::spectrum::getReferenceFFT(*state, 47, kFullScale, 1), dsp::kInvalidCount);
    EXPECT_EQ(state->ref_power, 0.0);
    EXPECT_EQ(analysis::spectrum::getReferenceFFT(*state, 15, kFullScale, 1), dsp::kInvalidCount);
    EXPECT_EQ(analysis::spectrum::getReferenceFFT(*state, 0, kFullScale, 1), dsp::kInvalidCount);
    EXPECT_EQ(analysis::spectrum::getReferenceFFT(*state, core::kBufferEntries + 1, kFullScale, 1),
              dsp::kInvalidCount);
    ASSERT_EQ(analysis::spectrum::getReferenceFFT(*state, 48, kFullScale, 1), 0);
    EXPECT_GT(state->ref_power, 0.0);
}

// The signal and noise tests build the reference for channel 0's count; one that cannot be
// built is reported on channel 0, only while its button is on.
TEST_F(Reference, TestsReportAMissingReferenceOnChannelZero) {
    const analysis::spectrum::SpectrumSettings settings{4096, kFullScale, 5.0, 0, 3};
    spectrum_test::ErrorLog on, off;
    analysis::spectrum::noise_fft(*state, {20, 4096, 0, 0}, 1, settings, on.reporter({1, 1, 0, 0}));
    EXPECT_EQ(on.entries().front(), 201);
    EXPECT_EQ(on.count(analysis::spectrum::fft_error::kSampleSizeTooSmall), 1);
    EXPECT_EQ(state->ref_power, 0.0);
    analysis::spectrum::signal_fft(*state, {20, 4096, 0, 0}, 1, settings,
                                   off.reporter({0, 1, 0, 0}));
    EXPECT_FALSE(off.has(analysis::spectrum::fft_error::kSampleSizeTooSmall));
}

}  // namespace
