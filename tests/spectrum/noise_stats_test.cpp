// Noise figures on spectra written straight into the average: n = 4096, floor 1e-6 per bin,
// w = 6, d = 13, a reference power of 1 (0 dB), fs = 4096 Hz.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "analysis/spectrum/spectrum.h"
#include "spectrum_test_support.h"

namespace {

using analysis::spectrum::FftStats;
using spectrum_test::db;
using spectrum_test::ErrorLog;
namespace err = analysis::spectrum::fft_error;

constexpr int kN = 4096;
constexpr double kFloor = 1e-6;

class NoiseStats : public ::testing::Test {
  protected:
    void SetUp() override {
        spectrum_test::flat_spectrum(*state, 1, kN, kFloor);
        spectrum_test::set_window_parameters(*state, 6, 13);
        state->ref_power = 1.0;
    }
    double& bin(int i) { return state->avg_buff[1][i]; }
    FftStats run(int n = kN, std::array<int, 4> enabled = spectrum_test::kAllOn) {
        return analysis::spectrum::noise_FFT_stats(*state, 1, n, settings, log.reporter(enabled));
    }
    static double value(const FftStats& s, int i) { return s.displays[i].value.value(); }
    double spot_nv(double noise, int limit) const {
        return 1e9 * std::sqrt(noise / (2048.0 * 2048.0) / limit) *
               (settings.fs_volt / 2.0 / std::sqrt(2.0)) / settings.fs_code *
               std::sqrt(kN / settings.fs);
    }

    std::unique_ptr<analysis::spectrum::SpectrumState> state =
        std::make_unique<analysis::spectrum::SpectrumState>();
    analysis::spectrum::SpectrumSettings settings{4096.0, 8388607, 5.0, 0,
                                                  analysis::spectrum::kWindowQuellan};
    ErrorLog log;
};

TEST_F(NoiseStats, LabelsAndPrecisions) {
    const FftStats s = analysis::spectrum::noise_stats_layout();
    const char* labels[] = {"S/N", "S/PN", "Spot Noise dB", "Spot Noise nV", "# of bins"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(s.displays[i].label, labels[i]);
        EXPECT_EQ(s.displays[i].precision, i == 4 ? 0 : 2);
    }
}

TEST_F(NoiseStats, FiguresAgainstTheReference) {
    bin(1000) = 1e-3;
    state->ref_power = 1e4;
    const FftStats s = run();
    EXPECT_TRUE(log.entries().empty());
    const double noise = 2033 * kFloor + 1e-3;  // 14 ... 2047, q = 2047 / 2034 = 1
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSN), 40.0 - db(noise), 1e-9);
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSPN), 40.0 - db(1e-3 + 12 * kFloor),
                1e-9);  // 994 ... 1006
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSpotDb), 40.0 - db(noise / 2047), 1e-9);
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSpotNv) / spot_nv(noise, 2047), 1.0, 1e-12);
    EXPECT_EQ(value(s, analysis::spectrum::kStatBins), 2048.0);
}

TEST_F(NoiseStats, FirstOfEqualPeaksIsThePeakNoise) {
    bin(500) = bin(700) = 1e-3;
    bin(502) = 1e-5;
    const FftStats s = run();
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSPN), -db(1e-3 + 1e-5 + 11 * kFloor),
                1e-9);  // 494 ... 506
}

// A limit close to the DC region: E = 20, q = 20 / (20 - 13) = 2.
TEST_F(NoiseStats, LimitNearDcScalesTheNoise) {
    settings.limit_bw = 20;
    const FftStats s = run();
    const double noise = 2 * 7 * kFloor;  // 14 ... 20, twice
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSN), -db(noise), 1e-9);
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSpotDb), -db(noise / 20), 1e-9);
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSpotNv) / spot_nv(noise, 20), 1.0, 1e-12);
    // The first bin above DC is the peak (ties keep the first); its band is cut at both ends.
    EXPECT_TRUE(log.has(err::kPeakNoiseInDc));
    EXPECT_FALSE(log.has(err::kPeakNoiseAboveLimit));
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSPN), -db(7 * kFloor), 1e-9);  // 14 ... 20
}

TEST_F(NoiseStats, PeakNoiseBandIsCutAtTheLimit) {
    bin(2045) = 1e-3;
    const FftStats s = run();
    EXPECT_EQ(log.entries(), std::vector<int>{272});
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSPN), -db(1e-3 + 8 * kFloor),
                1e-9);  // 2039 ... 2047
}

TEST_F(NoiseStats, LimitInsideDcLeavesOnlyTheBinCount) {
    settings.limit_bw = 13;
    const FftStats s = run();
    EXPECT_EQ(log.entries(), std::vector<int>{282});
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(s.displays[i].value.has_value()) << i;
    EXPECT_EQ(value(s, analysis::spectrum::kStatBins), 2048.0);
}

TEST_F(NoiseStats, WithoutAReferenceOnlyTheDensityInVoltsIsShown) {
    state->ref_power = 0.0;
    const FftStats s = run();
    EXPECT_FALSE(s.displays[analysis::spectrum::kStatSN].value.has_value());
    EXPECT_FALSE(s.displays[analysis::spectrum::kStatSPN].value.has_value());
    EXPECT_FALSE(s.displays[analysis::spectrum::kStatSpotDb].value.has_value());
    EXPECT_TRUE(s.displays[analysis::spectrum::kStatSpotNv].value.has_value());
}

TEST_F(NoiseStats, ZeroNoiseGivesInfiniteRatios) {
    spectrum_test::flat_spectrum(*state, 1, kN, 0.0);
    const FftStats s = run();
    EXPECT_EQ(value(s, analysis::spectrum::kStatSN), std::numeric_limits<double>::infinity());
    EXPECT_EQ(value(s, analysis::spectrum::kStatSpotNv), 0.0);
}

TEST_F(NoiseStats, ZeroFullScaleCodeLeavesTheDensityOut) {
    settings.fs_code = 0;
    const FftStats s = run();
    EXPECT_FALSE(s.displays[analysis::spectrum::kStatSpotNv].value.has_value());
}

TEST_F(NoiseStats, RecordTooShortIsRefusedOnlyWhileTheButtonIsOn) {
    FftStats s = run(40, {1, 0, 1, 1});
    EXPECT_TRUE(log.entries().empty());
    EXPECT_FALSE(s.displays[analysis::spectrum::kStatSN].value.has_value());
    EXPECT_EQ(value(s, analysis::spectrum::kStatBins), 20.0);
    s = run(40);
    EXPECT_EQ(log.entries(), std::vector<int>{202});
}

TEST(BandLimit, BinOfTheLimit) {
    EXPECT_EQ(analysis::spectrum::bandlimit_bin(500, 4000.0, 4096), 512);
    EXPECT_EQ(analysis::spectrum::bandlimit_bin(0, 4000.0, 4096), 2047);     // no limit
    EXPECT_EQ(analysis::spectrum::bandlimit_bin(1, 8192.0, 4096), 2047);     // below one bin
    EXPECT_EQ(analysis::spectrum::bandlimit_bin(2000, 4000.0, 4096), 2048);  // exactly fs / 2
    EXPECT_EQ(analysis::spectrum::bandlimit_bin(3000, 4000.0, 4096), 2048);  // above: held at M
    EXPECT_EQ(analysis::spectrum::bandlimit_bin(-5, 4000.0, 4096), 2047);    // nonsense: no limit
    EXPECT_EQ(analysis::spectrum::bandlimit_bin(500, 0.0, 4096), 2048);      // no sample rate
    EXPECT_EQ(analysis::spectrum::bandlimit_bin(0, 0.0, 4096), 2047);
}

}  // namespace
