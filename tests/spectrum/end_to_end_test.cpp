// Generated records through the whole chain: transform, average, reference and figures, with
// known signal and noise powers.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "analysis/spectrum/spectrum.h"
#include "spectrum_test_support.h"

namespace {

using spectrum_test::db;
using spectrum_test::ErrorLog;

constexpr int kN = 65536;
constexpr double kFs = 48000.0;
constexpr int32_t kFullScale = 8388607;

// A sine of amplitude a on bin `bin`, harmonic 2 of amplitude a2, white noise of deviation
// sigma.
std::vector<int32_t> record(double a, double bin, double a2, double sigma, unsigned seed) {
    spectrum_test::Gaussian noise(seed);
    std::vector<double> v(kN);
    const double step = 2.0 * std::numbers::pi * bin / kN;
    for (int i = 0; i < kN; ++i)
        v[i] = a * std::sin(step * i + 0.3) + a2 * std::sin(2.0 * step * i + 1.1) +
               sigma * noise.next();
    return spectrum_test::to_codes(v);
}

class EndToEnd : public ::testing::Test {
  protected:
    analysis::spectrum::FftStats signal(const std::vector<int32_t>& data) {
        analysis::spectrum::clean_average_buff(*state);
        EXPECT_EQ(
            analysis::spectrum::ChannelFFT(*state, 1, 0, data.data(), kN, settings.window_index),
            0);
        return analysis::spectrum::signal_fft(*state, {kN, 0, 0, 0}, 0, settings, log.reporter());
    }

    std::unique_ptr<analysis::spectrum::SpectrumState> state =
        std::make_unique<analysis::spectrum::SpectrumState>();
    analysis::spectrum::SpectrumSettings settings{kFs, kFullScale, 5.0, 0,
                                                  analysis::spectrum::kWindowBlackmanHarris};
    ErrorLog log;
};

TEST_F(EndToEnd, ToneInWhiteNoiseGivesTheSignalToNoiseRatio) {
    const double a = 4194304.0, sigma = 2000.0;
    const auto s = signal(record(a, 1001, 0.0, sigma, 12345));
    const double want = db(a * a / 2.0 / (sigma * sigma));  // 63.42 dB
    EXPECT_EQ(state->fund_bin, 1001);
    EXPECT_NEAR(s.displays[analysis::spectrum::kStatSN].value.value(), want, 0.1);
    EXPECT_NEAR(s.displays[analysis::spectrum::kStatSND].value.value(), want, 0.1);
}

TEST_F(EndToEnd, ToneWithSecondHarmonicGivesTheDistortionRatio) {
    settings.window_index = analysis::spectrum::kWindowQuellan;
    const double a = 4194304.0;
    const auto s = signal(record(a, 1001, a * 1e-4, 0.0, 1));
    EXPECT_NEAR(s.displays[analysis::spectrum::kStatSD].value.value(), 80.0, 0.1);
    EXPECT_LE(state->harmonics[0].first, 2002 - 6);
    EXPECT_GE(state->harmonics[0].last, 2002 + 6);
    EXPECT_EQ(state->harmonics[0].status, analysis::spectrum::kHarmonicCounted);
}

TEST_F(EndToEnd, AveragingFourBlocksKeepsTheRatio) {
    const double a = 4194304.0, sigma = 2000.0;
    analysis::spectrum::clean_average_buff(*state);
    for (unsigned b = 0; b < 4; ++b) {
        const auto data = record(a, 1001, 0.0, sigma, 100 + b);
        ASSERT_EQ(
            analysis::spectrum::ChannelFFT(*state, 4, 0, data.data(), kN, settings.window_index),
            0);
    }
    const auto s =
        analysis::spectrum::signal_fft(*state, {kN, 0, 0, 0}, 0, settings, log.reporter());
    EXPECT_NEAR(s.displays[analysis::spectrum::kStatSN].value.value(),
                db(a * a / 2.0 / (sigma * sigma)), 0.05);
}

// Noise only, no window: full-scale sine power over the noise power, and the noise density
// sigma / sqrt(fs / 2) in volts (one code is (fs_volt / 2) / fs_code volts).
TEST_F(EndToEnd, WhiteNoiseGivesItsLevelAndDensity) {
    settings.window_index = analysis::spectrum::kWindowNone;
    const double sigma = 1000.0;
    const auto data = record(0.0, 1, 0.0, sigma, 777);
    analysis::spectrum::clean_average_buff(*state);
    ASSERT_EQ(analysis::spectrum::ChannelFFT(*state, 1, 0, data.data(), kN, settings.window_index),
              0);
    const auto s =
        analysis::spectrum::noise_fft(*state, {kN, 0, 0, 0}, 0, settings, log.reporter());
    const double fs_sine = double(kFullScale) * kFullScale / 2.0;
    EXPECT_NEAR(s.displays[analysis::spectrum::kStatSN].value.value(),
                db(fs_sine / (sigma * sigma)), 0.1);
    const double density = 1e9 * sigma * (settings.fs_volt / 2.0 / kFullScale) / std::sqrt(kFs / 2);
    EXPECT_NEAR(db(s.displays[analysis::spectrum::kStatSpotNv].value.value() / density) / 2.0, 0.0,
                0.1);
    // Spot noise in dB is the level of one bin: S/N plus 10 log of the bin count.
    EXPECT_NEAR(s.displays[analysis::spectrum::kStatSpotDb].value.value(),
                s.displays[analysis::spectrum::kStatSN].value.value() + db(kN / 2 - 1), 1e-9);
}

}  // namespace

// The tone table reads a tone between bins at its own frequency, not the nearer bin's, and
// levels the harmonic below the fundamental; noise alone has no table.
TEST_F(EndToEnd, TheToneTableGivesTheFundamentalAndHarmonicsAsMeasured) {
    using analysis::spectrum::tone_table;
    const double a = 4194304.0, bin = 1001.37;
    const auto s = signal(record(a, bin, a * 1e-4, 20.0, 7));  // harmonic 2 at -80 dBc
    const auto tones = tone_table(*state, kN, kFs);
    ASSERT_GE(tones.size(), 3u);
    EXPECT_EQ(tones[0].order, 1);
    EXPECT_NEAR(tones[0].frequency, bin * kFs / kN, 0.05 * kFs / kN);
    EXPECT_NEAR(tones[0].level.value(), s.figures[analysis::spectrum::kFigSignalDbfs].value.value(),
                1e-9);
    EXPECT_EQ(tones[1].order, 2);
    EXPECT_NEAR(tones[1].frequency, 2 * bin * kFs / kN, 0.1 * kFs / kN);
    EXPECT_NEAR(tones[1].level.value(), -80.0, 0.5);
    EXPECT_LT(tones[2].level.value_or(-200.0), -100.0);
    EXPECT_LE(tones.back().order, analysis::spectrum::kTableMaxOrder);

    signal(record(0.0, bin, 0.0, 2000.0, 8));
    EXPECT_TRUE(tone_table(*state, kN, kFs).empty());
}
