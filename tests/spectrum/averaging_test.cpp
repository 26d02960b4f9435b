#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "analysis/spectrum/spectrum.h"
#include "dsp/dsp.h"

namespace {

using analysis::spectrum::SpectrumState;

std::vector<int32_t> random_block(int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int32_t> codes(-3000000, 3000000);
    std::vector<int32_t> block(n);
    for (auto& v : block) v = codes(gen);
    return block;
}

// Power spectrum of one block through the Blackman-Harris window, floored at 1e-20.
std::vector<double> power_spectrum(const std::vector<int32_t>& block) {
    const int n = static_cast<int>(block.size());
    std::vector<double> re(n), im(n);
    const double theta = 2.0 * 3.141592653589793 / n;
    for (int i = 0; i < n; ++i) {
        const double w = 0.35875 - 0.48829 * std::cos(theta * i) +
                         0.14128 * std::cos(theta * 2 * i) - 0.01168 * std::cos(theta * 3 * i);
        re[i] = block[i] * w;
    }
    dsp::ReFFT(re.data(), im.data(), n);
    std::vector<double> power(n);
    for (int i = 0; i < n; ++i) power[i] = std::max(1e-20, re[i] * re[i] + im[i] * im[i]);
    return power;
}

class Averaging : public ::testing::Test {
  protected:
    std::unique_ptr<SpectrumState> state = std::make_unique<SpectrumState>();
};

TEST_F(Averaging, FourBlocksGiveTheMeanOfTheirPowerSpectra) {
    const int n = 1000;
    std::vector<double> mean(n / 2 + 1, 0.0);
    for (unsigned b = 0; b < 4; ++b) {
        const auto block = random_block(n, b + 1);
        ASSERT_EQ(analysis::spectrum::ChannelFFT(*state, 4, 2, block.data(), n, 1), 0);
        const auto power = power_spectrum(block);
        for (int i = 0; i <= n / 2; ++i) mean[i] += power[i] / 4.0;
    }
    for (int i = 0; i <= n / 2; ++i) ASSERT_NEAR(state->avg_buff[2][i] / mean[i], 1.0, 1e-9) << i;
    EXPECT_EQ(state->avg_buff[2][n / 2 + 1], 0.0);  // only the bins the tests use
    EXPECT_EQ(state->avg_buff[1][0], 0.0);          // other channels untouched
    EXPECT_EQ(state->tone_bins, 3);
}

TEST_F(Averaging, SilentBlockIsFlooredSoEveryLogarithmIsFinite) {
    const std::vector<int32_t> silence(64, 0);
    ASSERT_EQ(analysis::spectrum::ChannelFFT(*state, 1, 0, silence.data(), 64, 0), 0);
    for (int i = 0; i <= 32; ++i) EXPECT_EQ(state->avg_buff[0][i], 1e-20) << i;
}

TEST_F(Averaging, CleanZeroesAllChannels) {
    const auto block = random_block(256, 7);
    for (int c = 0; c < 4; ++c) analysis::spectrum::ChannelFFT(*state, 1, c, block.data(), 256, 2);
    analysis::spectrum::clean_average_buff(*state);
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i <= 128; ++i) ASSERT_EQ(state->avg_buff[c][i], 0.0);
}

TEST_F(Averaging, BadArgumentsChangeNothing) {
    const auto block = random_block(128, 3);
    state->avg_buff[0][0] = 1.0;
    EXPECT_EQ(analysis::spectrum::ChannelFFT(*state, 0, 0, block.data(), 128, 1),
              dsp::kInvalidCount);
    EXPECT_EQ(analysis::spectrum::ChannelFFT(*state, 1, 4, block.data(), 128, 1),
              dsp::kInvalidCount);
    EXPECT_EQ(analysis::spectrum::ChannelFFT(*state, 1, -1, block.data(), 128, 1),
              dsp::kInvalidCount);
    EXPECT_EQ(analysis::spectrum::ChannelFFT(*state, 1, 0, nullptr, 128, 1), dsp::kInvalidCount);
    EXPECT_EQ(analysis::spectrum::ChannelFFT(*state, 1, 0, block.data(), -2, 1),
              dsp::kInvalidCount);
    EXPECT_EQ(
        analysis::spectrum::ChannelFFT(*state, 1, 0, block.data(), core::kBufferEntries + 1, 1),
        dsp::kInvalidCount);
    EXPECT_EQ(analysis::spectrum::add_to_average(*state, 0, 0, state->fft_re.data(), 128),
              dsp::kInvalidCount);
    EXPECT_EQ(analysis::spectrum::add_to_average(*state, 1, 0, nullptr, 128), dsp::kInvalidCount);
    EXPECT_EQ(analysis::spectrum::ChannelFFT(*state, 1, 0, block.data(), 0, 1),
              0);  // nothing to add
    EXPECT_EQ(state->avg_buff[0][0], 1.0);
    EXPECT_EQ(state->avg_buff[0][1], 0.0);
}

TEST_F(Averaging, AnyLengthIsTransformed) {
    // 1009 is prime: the transform takes its chirp-z path. No window: compare with the sums.
    const int n = 1009;
    const auto block = random_block(n, 11);
    ASSERT_EQ(analysis::spectrum::ChannelFFT(*state, 1, 3, block.data(), n, 0), 0);
    for (int k : {0, 5, 504}) {
        double re = 0.0, im = 0.0;
        for (int i = 0; i < n; ++i) {
            const double phase = 2.0 * 3.141592653589793 * k * i / n;
            re += block[i] * std::cos(phase);
            im -= block[i] * std::sin(phase);
        }
        EXPECT_NEAR(state->avg_buff[3][k] / (re * re + im * im), 1.0, 1e-8) << k;
    }
}

}  // namespace
