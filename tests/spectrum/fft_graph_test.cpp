#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "analysis/spectrum/spectrum.h"
#include "spectrum_test_support.h"

namespace {

using analysis::spectrum::FftGraph;
using analysis::spectrum::FftGraphRequest;
using spectrum_test::ErrorLog;

constexpr int kN = 4096;

TEST(DbAxis, LowerLimitIsTheNextMultipleOfTwentyBelow) {
    EXPECT_EQ(analysis::spectrum::db_axis_lower_limit(-135.3), -140.0);
    EXPECT_EQ(analysis::spectrum::db_axis_lower_limit(-140.0), -160.0);
    EXPECT_EQ(analysis::spectrum::db_axis_lower_limit(-10.0), -20.0);
    EXPECT_EQ(analysis::spectrum::db_axis_lower_limit(-0.0), -20.0);
}

class FftGraphTest : public ::testing::Test {
  protected:
    void SetUp() override {
        spectrum_test::flat_spectrum(*state, 0, kN, 1e-6);
        spectrum_test::set_window_parameters(*state, 6, 13);
        state->ref_power = 1.0;
    }
    FftGraph plot(FftGraphRequest request) {
        return analysis::spectrum::graph_fft(*state, request, settings, log.reporter());
    }

    std::unique_ptr<analysis::spectrum::SpectrumState> state =
        std::make_unique<analysis::spectrum::SpectrumState>();
    analysis::spectrum::SpectrumSettings settings{8000.0, 8388607, 5.0, 0,
                                                  analysis::spectrum::kWindowQuellan};
    ErrorLog log;
};

TEST_F(FftGraphTest, DbValuesFrequenciesAndAxis) {
    state->avg_buff[0][100] = 1e-2;
    const FftGraph g = plot({analysis::spectrum::kFftKindSignal, 0, kN, false, false, -20.0});
    ASSERT_TRUE(g.plotted);
    EXPECT_TRUE(g.db_mode);
    ASSERT_EQ(g.x.size(), 2049u);
    ASSERT_EQ(g.y.size(), 2049u);
    EXPECT_NEAR(g.y[0], -60.0, 1e-9);
    EXPECT_NEAR(g.y[100], -20.0, 1e-9);
    EXPECT_EQ(g.x[0], 0.0);
    EXPECT_EQ(g.x[2048], 4000.0);
    EXPECT_NEAR(g.x[100], 8000.0 * 100 / kN, 1e-12);
    EXPECT_EQ(g.x_max, 4000.0);
    EXPECT_EQ(g.y_min, -80.0);  // floor at -60 dB
    EXPECT_TRUE(g.texts.empty());
    EXPECT_TRUE(g.lines.empty());
}

TEST_F(FftGraphTest, AxisOnlyGoesDownAcrossChannels) {
    EXPECT_EQ(plot({analysis::spectrum::kFftKindSignal, 0, kN, false, false, -200.0}).y_min,
              -200.0);
}

TEST_F(FftGraphTest, ZeroBinOrNoReferenceIsNotPlotted) {
    state->avg_buff[0][7] = 0.0;
    EXPECT_FALSE(plot({analysis::spectrum::kFftKindSignal, 0, kN, true, false, -20.0}).plotted);
    state->avg_buff[0][7] = 1e-6;
    state->ref_power = 0.0;
    EXPECT_FALSE(plot({analysis::spectrum::kFftKindNoise, 0, kN, false, false, -20.0}).plotted);
    // A channel never transformed holds zeros: silently left out.
    EXPECT_FALSE(plot({analysis::spectrum::kFftKindSignal, 3, kN, false, false, -20.0}).plotted);
    EXPECT_TRUE(log.entries().empty());
}

TEST_F(FftGraphTest, NanovoltModeIsAutoscaledAndAllowsZeros) {
    state->ref_power = 0.0;  // not needed in nV mode
    state->avg_buff[0][5] = 0.0;
    const FftGraph g = plot({analysis::spectrum::kFftKindNoise, 0, kN, true, true, -20.0});
    ASSERT_TRUE(g.plotted);
    EXPECT_FALSE(g.db_mode);
    EXPECT_EQ(g.y[5], 0.0);
    const double want = 1e9 * std::sqrt(1e-6 / (2048.0 * 2048.0)) * (5.0 / 2.0 / std::sqrt(2.0)) /
                        8388607 * std::sqrt(kN / 8000.0);
    EXPECT_NEAR(g.y[0] / want, 1.0, 1e-12);
    EXPECT_TRUE(g.lines.empty());
    state->avg_buff[0][5] = -1.0;
    EXPECT_FALSE(plot({analysis::spectrum::kFftKindNoise, 0, kN, false, true, -20.0}).plotted);
}

// Fundamental 1500 of n = 4096 and one harmonic: order 2 folds to bin 1096.
TEST_F(FftGraphTest, FundamentalAndHarmonicMarkers) {
    state->fund_bin = 1500;
    state->n_harmonics = 1;
    state->avg_buff[0][1500] = 1.0;
    state->avg_buff[0][1109] = 1e-2;  // within 13 bins of 1096: lifts the order label
    const FftGraph g = plot({analysis::spectrum::kFftKindSignal, 0, kN, true, false, -20.0});
    ASSERT_EQ(g.texts.size(), 2u);
    EXPECT_EQ(std::string(g.texts[0].text), "F");
    EXPECT_EQ(g.texts[0].x, g.x[1500]);
    EXPECT_NEAR(g.texts[0].y, 5.0, 1e-12);
    EXPECT_EQ(std::string(g.texts[1].text), "2");
    EXPECT_EQ(g.texts[1].x, g.x[1096]);
    EXPECT_NEAR(g.texts[1].y, -20.0 + 12.0, 1e-9);

    ASSERT_EQ(g.lines.size(), 26u);
    for (int j = 0; j < 13; ++j) {
        EXPECT_TRUE(g.lines[j].fundamental);
        EXPECT_EQ(g.lines[j].x, g.x[1494 + j]);
        EXPECT_EQ(g.lines[j].y_from, g.y[1494 + j]);
        EXPECT_EQ(g.lines[j].y_to, g.y_min);
        EXPECT_FALSE(g.lines[13 + j].fundamental);
        EXPECT_EQ(g.lines[13 + j].x, g.x[1090 + j]);
        EXPECT_EQ(g.lines[13 + j].y_from, g.y_min);
    }
}

TEST_F(FftGraphTest, MarkerLinesStayOutOfDcAndNyquist) {
    state->fund_bin = 16;  // lines 14 ... 22: above dc_bins 13 only
    state->n_harmonics = 0;
    FftGraph g = plot({analysis::spectrum::kFftKindSignal, 0, kN, true, false, -20.0});
    EXPECT_EQ(g.lines.size(), 9u);
    EXPECT_EQ(g.lines.front().x, g.x[14]);

    state->fund_bin = 1024;  // order 2 at 2048 = M: harmonic lines stop below M
    state->n_harmonics = 1;
    g = plot({analysis::spectrum::kFftKindSignal, 0, kN, true, false, -20.0});
    ASSERT_EQ(g.lines.size(), 13u + 6u);
    EXPECT_EQ(g.lines.back().x, g.x[2047]);
}

TEST_F(FftGraphTest, NoMarkersWhenSwitchedOffOrInTheNoiseTest) {
    state->fund_bin = 1500;
    state->n_harmonics = 3;
    EXPECT_TRUE(
        plot({analysis::spectrum::kFftKindSignal, 0, kN, false, false, -20.0}).texts.empty());
    const FftGraph noise = plot({analysis::spectrum::kFftKindNoise, 0, kN, true, false, -20.0});
    EXPECT_TRUE(noise.plotted);
    EXPECT_TRUE(noise.texts.empty());
    EXPECT_TRUE(noise.lines.empty());
}

// Markers come from the statistics channel; a shorter channel has no bin 1500.
TEST_F(FftGraphTest, FundamentalOutsideAShorterChannelIsNotMarked) {
    state->fund_bin = 1500;
    state->n_harmonics = 1;
    const FftGraph g = plot({analysis::spectrum::kFftKindSignal, 0, 2048, true, false, -20.0});
    ASSERT_TRUE(g.plotted);
    EXPECT_TRUE(g.texts.empty());
    EXPECT_TRUE(g.lines.empty());

    state->fund_bin = -1;  // the last analysis found none
    EXPECT_TRUE(
        plot({analysis::spectrum::kFftKindSignal, 0, kN, true, false, -20.0}).lines.empty());
}

TEST_F(FftGraphTest, ManyHarmonicsUseTheReservedMarkers) {
    state->fund_bin = 3;
    state->n_harmonics = analysis::spectrum::kMaxHarmonics;
    const auto* before = state->marker_lines.data();
    const FftGraph g = plot({analysis::spectrum::kFftKindSignal, 0, kN, true, false, -20.0});
    EXPECT_EQ(g.texts.size(), 1001u);
    EXPECT_EQ(std::string(g.texts.back().text), "1001");
    EXPECT_EQ(state->marker_lines.data(), before);
}

TEST_F(FftGraphTest, SingleSampleChannelIsTooShort) {
    const FftGraph g = plot({analysis::spectrum::kFftKindSignal, 0, 1, false, false, -20.0});
    EXPECT_FALSE(g.plotted);
    EXPECT_EQ(log.entries(), std::vector<int>{201});
}

}  // namespace
