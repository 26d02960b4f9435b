// The modulator signal source: determinism, tone and harmonic levels, noise density.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "frames.h"
#include "measure.h"
#include "platform/simboard/signal_source.h"

namespace simboard::test {
namespace {

double rms(const std::vector<double>& x) {
    double mean = 0, sq = 0;
    for (double v : x) mean += v;
    mean /= x.size();
    for (double v : x) sq += (v - mean) * (v - mean);
    return std::sqrt(sq / x.size());
}

ChannelSignal quiet_tone(double freq, double level) {
    ChannelSignal s;
    s.tone_freq = freq;
    s.tone_dbfs = level;
    s.harmonics_dbc = {-400, -400, -400, -400};
    s.noise_nv = 0;
    return s;
}

TEST(Signal, SameSeedSameSamples) {
    const ChannelSignal s = BoardConfig{}.channels[0];
    std::vector<double> a(5000), b(5000), c(5000);
    SignalSource(7, 0).fill(s, 3.3, 100, a.data(), a.size());
    SignalSource(7, 0).fill(s, 3.3, 100, b.data(), b.size());
    SignalSource(8, 0).fill(s, 3.3, 100, c.data(), c.size());
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    SignalSource(7, 1).fill(s, 3.3, 100, c.data(), c.size());
    EXPECT_NE(a, c);  // channels are independent
}

TEST(Signal, BlocksJoinSeamlessly) {
    const ChannelSignal s = quiet_tone(0.0623113, -0.5);
    std::vector<double> whole(10000), parts(10000);
    SignalSource one(3, 0), two(3, 0);
    one.fill(s, 0, 50, whole.data(), whole.size());
    two.fill(s, 0, 50, parts.data(), 3333);
    two.fill(s, 0, 50 + 3333, parts.data() + 3333, 10000 - 3333);
    for (std::size_t i = 0; i < whole.size(); ++i) ASSERT_NEAR(whole[i], parts[i], 1e-4) << i;
}

TEST(Signal, ToneAndHarmonicLevels) {
    ChannelSignal s = quiet_tone(0.0623113, -0.5);
    s.harmonics_dbc = {-60, -70, -400, -80};
    std::vector<double> x(65536);
    SignalSource(1, 0).fill(s, 0, 0, x.data(), x.size());
    EXPECT_NEAR(dbfs(amplitude_at(x, s.tone_freq)), -0.5, 0.01);
    const double tone = amplitude_at(x, s.tone_freq);
    EXPECT_NEAR(20 * std::log10(amplitude_at(x, 2 * s.tone_freq) / tone), -60, 0.05);
    EXPECT_NEAR(20 * std::log10(amplitude_at(x, 3 * s.tone_freq) / tone), -70, 0.05);
    EXPECT_NEAR(20 * std::log10(amplitude_at(x, 5 * s.tone_freq) / tone), -80, 0.05);
    EXPECT_LT(amplitude_at(x, 4 * s.tone_freq), tone * 1e-7);
}

TEST(Signal, NoiseSigmaFollowsDensityRateAndFullScale) {
    // 62.9 nV/sqrt(Hz) over 250 Hz is 0.9946 uV; 2.5 V is 8388607 codes.
    EXPECT_NEAR(noise_sigma_codes(62.9, 500, 5.0), 62.9e-9 * std::sqrt(250.0) * 8388607 / 2.5,
                1e-9);
    EXPECT_NEAR(noise_sigma_codes(62.9, 2000, 5.0) / noise_sigma_codes(62.9, 500, 5.0), 2.0, 1e-12);
    EXPECT_NEAR(noise_sigma_codes(62.9, 500, 10.0) / noise_sigma_codes(62.9, 500, 5.0), 0.5, 1e-12);
    ChannelSignal s = quiet_tone(0.1, -400);
    s.noise_nv = 100;
    const double sigma = noise_sigma_codes(s.noise_nv, 500, 5.0);
    std::vector<double> x(200000);
    SignalSource(4, 2).fill(s, sigma, 0, x.data(), x.size());
    EXPECT_NEAR(rms(x) / sigma, 1.0, 0.01);
}

TEST(Signal, DefaultsGiveAbout125DbDynamicRangeAt500) {
    const BoardConfig c;
    const double sigma = noise_sigma_codes(c.channels[0].noise_nv, 500, c.fs_volt);
    const double range = 20 * std::log10(kFullScaleCode / std::sqrt(2.0) / sigma);
    EXPECT_NEAR(range, 125.0, 0.5);
}

TEST(Signal, BoardStreamCarriesTheConfiguredTone) {
    BoardConfig c;
    c.lead_in_record = false;
    c.channels[1].tone_dbfs = -6.0;
    Harness h(c);
    h.reg_write(0x20, 0x000070);  // 4000 words/s, four channels
    const std::size_t frames = 32768;
    const auto ch = h.capture_frames(frames, 4);
    for (const auto& samples : ch) ASSERT_EQ(samples.size(), frames);
    EXPECT_NEAR(dbfs(amplitude_at(ch[0], c.channels[0].tone_freq)), -0.5, 0.01);
    EXPECT_NEAR(dbfs(amplitude_at(ch[1], c.channels[1].tone_freq)), -6.0, 0.01);
    EXPECT_NEAR(dbfs(amplitude_at(ch[2], c.channels[2].tone_freq)), -0.5, 0.01);
    EXPECT_LT(dbfs(amplitude_at(ch[0], c.channels[1].tone_freq)), -120.0);  // no crosstalk
}

}  // namespace
}  // namespace simboard::test
