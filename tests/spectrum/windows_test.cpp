#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "analysis/spectrum/spectrum.h"

namespace {

using analysis::spectrum::SpectrumState;

// Fills fft_re with ones, applies the window function and returns the coefficients.
template <typename Fn>
std::vector<double> coefficients(SpectrumState& state, Fn fn, int n) {
    std::fill(state.fft_re.begin(), state.fft_re.begin() + n, 1.0);
    fn(state, n);
    return {state.fft_re.begin(), state.fft_re.begin() + n};
}

class Windows : public ::testing::Test {
  protected:
    std::unique_ptr<SpectrumState> state = std::make_unique<SpectrumState>();
};

TEST_F(Windows, BlackmanHarrisEndsAtCoefficientSumAndPeaksAtOne) {
    const int n = 4096;
    const auto w = coefficients(*state, analysis::spectrum::BlkHrsWin, n);
    EXPECT_NEAR(w[0], 0.00006, 1e-15);
    EXPECT_NEAR(w[n / 2], 1.0, 1e-15);
    EXPECT_NEAR(w[1], w[n - 1], 1e-12);  // symmetric about the middle
    EXPECT_EQ(std::max_element(w.begin(), w.end()) - w.begin(), n / 2);
}

TEST_F(Windows, TessikAndQuellanPeakInTheMiddleAndVanishAtTheEnds) {
    const int n = 1000;
    const auto tessik = coefficients(*state, analysis::spectrum::TessikWin, n);
    EXPECT_NEAR(tessik[n / 2], 2.0793640562619, 1e-12);
    // The ends hold the coefficients' sum.
    EXPECT_NEAR(tessik[0],
                0.67163459718823 - 0.98017116095934 + 0.36542092481817 - 0.059489208003165 +
                    0.0026481652930186,
                1e-15);
    EXPECT_LT(tessik[0], 1e-4);
    EXPECT_EQ(std::max_element(tessik.begin(), tessik.end()) - tessik.begin(), n / 2);

    const auto quellan = coefficients(*state, analysis::spectrum::QuellanWin, n);
    EXPECT_NEAR(quellan[n / 2], 2.274119268757, 1e-12);
    EXPECT_LT(std::abs(quellan[0]), 1e-6);
    EXPECT_EQ(std::max_element(quellan.begin(), quellan.end()) - quellan.begin(), n / 2);
}

TEST_F(Windows, MultipliesTheSamplesInPlace) {
    const int n = 64;
    for (int i = 0; i < n; ++i) state->fft_re[i] = i - 20.0;
    analysis::spectrum::BlkHrsWin(*state, n);
    const double theta = 2.0 * 3.141592653589793 / n;
    for (int i : {0, 5, 20, 32, 63}) {
        const double w = 0.35875 - 0.48829 * std::cos(theta * i) +
                         0.14128 * std::cos(2 * theta * i) - 0.01168 * std::cos(3 * theta * i);
        EXPECT_NEAR(state->fft_re[i], (i - 20.0) * w, 1e-12) << i;
    }
}

TEST_F(Windows, ParametersPerWindowAndUnknownIndexLeavesThem) {
    struct Case {
        int index, tone_bins, dc_bins;
    };
    for (const Case c : {Case{0, 2, 2}, Case{1, 3, 10}, Case{2, 4, 11}, Case{3, 6, 13}}) {
        std::fill(state->fft_re.begin(), state->fft_re.begin() + 16, 3.0);
        analysis::spectrum::window(*state, c.index, 16);
        EXPECT_EQ(state->tone_bins, c.tone_bins) << c.index;
        EXPECT_EQ(state->dc_bins, c.dc_bins) << c.index;
        if (c.index == 0)
            EXPECT_EQ(state->fft_re[0], 3.0);
        else
            EXPECT_LT(state->fft_re[0], 0.01);
    }
    analysis::spectrum::window(*state, 1, 16);
    state->fft_re[0] = 7.0;
    analysis::spectrum::window(*state, 9, 16);
    analysis::spectrum::window(*state, -1, 16);
    EXPECT_EQ(state->fft_re[0], 7.0);
    EXPECT_EQ(state->tone_bins, 3);
    EXPECT_EQ(state->dc_bins, 10);
}

TEST_F(Windows, StartWithTheQuellanParameters) {
    EXPECT_EQ(state->tone_bins, 6);
    EXPECT_EQ(state->dc_bins, 13);
}

// The coefficient table is kept between calls; a new length or window must rebuild it.
TEST_F(Windows, NewLengthOrWindowRebuildsTheCoefficients) {
    coefficients(*state, analysis::spectrum::BlkHrsWin, 4096);
    const auto shorter = coefficients(*state, analysis::spectrum::BlkHrsWin, 100);
    EXPECT_NEAR(shorter[50], 1.0, 1e-15);
    const auto other = coefficients(*state, analysis::spectrum::QuellanWin, 100);
    EXPECT_NEAR(other[50], 2.274119268757, 1e-12);
    const auto again = coefficients(*state, analysis::spectrum::BlkHrsWin, 100);
    EXPECT_NEAR(again[50], 1.0, 1e-15);
}

}  // namespace
