// Signal figures on spectra written straight into the average: n = 4096 (M = 2048), a flat
// floor of 1e-6 per bin, window parameters w = 6, d = 13, fs = 4096 Hz so one bin is 1 Hz.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "analysis/spectrum/spectrum.h"
#include "spectrum_test_support.h"

namespace {

using analysis::spectrum::FftStats;
using analysis::spectrum::kHarmonicCounted;
using analysis::spectrum::kHarmonicRejected;
using spectrum_test::db;
using spectrum_test::ErrorLog;
namespace err = analysis::spectrum::fft_error;

constexpr int kN = 4096;
constexpr double kFloor = 1e-6;

class SignalStats : public ::testing::Test {
  protected:
    void SetUp() override {
        spectrum_test::flat_spectrum(*state, 0, kN, kFloor);
        spectrum_test::set_window_parameters(*state, 6, 13);
    }
    double& bin(int i) { return state->avg_buff[0][i]; }
    FftStats run(int n = kN, std::array<int, 4> enabled = spectrum_test::kAllOn) {
        return analysis::spectrum::signal_FFT_stats(*state, 0, n, settings, log.reporter(enabled));
    }
    static double value(const FftStats& s, int i) { return s.displays[i].value.value(); }

    std::unique_ptr<analysis::spectrum::SpectrumState> state =
        std::make_unique<analysis::spectrum::SpectrumState>();
    analysis::spectrum::SpectrumSettings settings{4096.0, 8388607, 5.0, 0,
                                                  analysis::spectrum::kWindowQuellan};
    ErrorLog log;
};

// The panel is laid out before any data: the layout shows what a run shows, with no values.
TEST_F(SignalStats, TheLayoutIsARunWithoutValues) {
    const FftStats layout = analysis::spectrum::signal_stats_layout();
    bin(1000) = 1.0;
    bin(1001) = 0.5;
    const FftStats s = run();
    ASSERT_EQ(layout.displays.size(), s.displays.size());
    for (std::size_t i = 0; i < s.displays.size(); ++i) {
        EXPECT_EQ(layout.displays[i].label, s.displays[i].label) << i;
        EXPECT_EQ(layout.displays[i].precision, s.displays[i].precision) << i;
        EXPECT_FALSE(layout.displays[i].value.has_value()) << i;
        EXPECT_TRUE(s.displays[i].value.has_value()) << i;
    }
}

// A "fundamental" that stands no higher above the floor than a noise band is no tone: error 24,
// no figure that rests on it, no marker; what the noise alone gives stays. A weak tone 9 dB
// above the strongest noise band is still a tone.
TEST_F(SignalStats, NoToneAboveTheNoiseIsSaidAndLeavesNoFigures) {
    state->ref_power = 1e6;
    for (const auto& [tone, found] : {std::pair{1e-5, false}, std::pair{1e-4, true}}) {
        SCOPED_TRACE(tone);
        log = ErrorLog();
        bin(1000) = kFloor + tone;
        const FftStats s = run();
        EXPECT_EQ(log.has(err::kNoFundamental), !found);
        EXPECT_EQ(state->fund_bin, found ? 1000 : -1);
        for (int d : {analysis::spectrum::kStatSN, analysis::spectrum::kStatSD})
            EXPECT_EQ(s.displays[d].value.has_value(), found) << d;
        EXPECT_EQ(s.figures[analysis::spectrum::kFigEnob].value.has_value(), found);
        EXPECT_TRUE(s.figures[analysis::spectrum::kFigDr].value.has_value());
        EXPECT_TRUE(s.displays[analysis::spectrum::kStatBins].value.has_value());
        analysis::spectrum::FftGraphRequest marks{analysis::spectrum::kFftKindSignal, 0, kN, true};
        const auto g = analysis::spectrum::graph_fft(*state, marks, settings, log.reporter());
        EXPECT_EQ(!g.texts.empty(), found);
    }
}

// Tone at 1000 with a stronger upper neighbour (shift 1), a spur at 1500, a harmonic at 2000.
TEST_F(SignalStats, ToneWithSpurAndHarmonic) {
    bin(999) = 0.25;
    bin(1000) = 1.0;
    bin(1001) = 0.5;
    bin(1500) = 1e-3;
    bin(2000) = 1e-4;
    const FftStats s = run();
    EXPECT_TRUE(log.entries().empty());
    EXPECT_EQ(state->fund_bin, 1000);
    ASSERT_EQ(state->n_harmonics, 1);  // (2047 + 6 + 1) / 1000 - 1

    const double signal = 1.75 + 11 * kFloor;                 // bins 994 ... 1007
    const double nd = 980 * kFloor + 1038 * kFloor + 1.1e-3;  // 14 ... 993 and 1008 ... 2047
    const double pn = 1e-3 + 13 * kFloor;                     // 1494 ... 1507
    const double hd = 1e-4 + 13 * kFloor;                     // 1994 ... 2007
    EXPECT_EQ(state->harmonics[0].first, 1994);
    EXPECT_EQ(state->harmonics[0].last, 2007);
    EXPECT_EQ(state->harmonics[0].status, kHarmonicCounted);
    EXPECT_NEAR(state->harmonics[0].power, hd, 1e-15);

    EXPECT_NEAR(value(s, analysis::spectrum::kStatSPN), db(signal) - db(pn), 1e-9);
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSD), db(signal) - db(hd), 1e-9);
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSND), db(signal) - db(nd),
                1e-9);  // q = 2048 / 2021 = 1
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSN), db(signal) - db((nd - hd) * 2048.0 / 2034.0),
                1e-9);
    EXPECT_EQ(value(s, analysis::spectrum::kStatBins), 2048.0);
    EXPECT_EQ(state->dc_bins, 13);
}

TEST_F(SignalStats, BinCountIsHalfTheSamplesAsAReal) {
    bin(1000) = 1.0;
    EXPECT_EQ(value(run(4097), analysis::spectrum::kStatBins), 2048.5);
}

// The largest bin is DC: the fundamental is the largest above DC and exactly one harmonic is
// analysed; n = 4096, f = 1500: order 2 at 2993 ... 3006 folds to 1090 ... 1103.
TEST_F(SignalStats, StrongDcFoldsTheSecondHarmonic) {
    bin(0) = 100.0;
    bin(1500) = 1.0;
    bin(1096) = 1e-4;
    const FftStats s = run();
    EXPECT_EQ(state->fund_bin, 1500);
    ASSERT_EQ(state->n_harmonics, 1);
    EXPECT_EQ(state->harmonics[0].first, 1090);
    EXPECT_EQ(state->harmonics[0].last, 1103);
    EXPECT_EQ(state->harmonics[0].status, kHarmonicCounted);
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSD),
                db(1.0 + 13 * kFloor) - db(1e-4 + 13 * kFloor), 1e-9);
    EXPECT_TRUE(log.entries().empty());
}

TEST_F(SignalStats, EqualNeighboursLeaveTheBandUnshifted) {
    bin(999) = 0.5;
    bin(1000) = 1.0;
    bin(1001) = 0.5;
    const FftStats s = run();
    EXPECT_EQ(state->harmonics[0].first, 1993);  // 1000 + (1000 - 6 - 1)
    EXPECT_EQ(state->harmonics[0].last, 2006);
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSD), db(2.0 + 11 * kFloor) - db(14 * kFloor),
                1e-9);

    bin(1001) = 0.5000001;
    run();
    EXPECT_EQ(state->harmonics[0].first, 1994);
}

TEST_F(SignalStats, NoHarmonicCountedGivesInfiniteDistortionRatio) {
    bin(1500) = 1.0;
    const FftStats s = run();
    EXPECT_EQ(state->n_harmonics, 0);  // (2047 + 6) / 1500 - 1
    EXPECT_EQ(value(s, analysis::spectrum::kStatSD), std::numeric_limits<double>::infinity());
    const double nd = (1479 + 541) * kFloor;  // 14 ... 1492 and 1507 ... 2047
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSN), db(1.0 + 13 * kFloor) - db(nd), 1e-9);
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSND), value(s, analysis::spectrum::kStatSN),
                1e-12);
}

// fs 4000, n 4096, a 500 Hz limit: E = 512 and q = 2048 / (512 - 13 - 13) = 4.
TEST_F(SignalStats, QuarterBandLimitScalesTheNoiseByFour) {
    settings.fs = 4000.0;
    settings.limit_bw = 500;
    EXPECT_EQ(analysis::spectrum::bandlimit_bin(500, 4000.0, kN), 512);
    bin(200) = 1.0;
    const FftStats s = run();
    const double signal = 1.0 + 13 * kFloor;
    const double nd = 4 * (179 + 306) * kFloor;  // 14 ... 192 and 207 ... 512, times 4
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSND), db(signal) - db(nd), 1e-9);
    ASSERT_EQ(state->n_harmonics, 1);  // (512 + 6) / 200 - 1
    const double hd = 14 * kFloor;
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSN), db(signal) - db((nd - hd) * 2048.0 / 2034.0),
                1e-9);
}

TEST_F(SignalStats, HarmonicStraddlingNyquistRunsToM) {
    bin(1024) = 1.0;
    const FftStats s = run();
    ASSERT_EQ(state->n_harmonics, 1);
    // a = 2041, b = 2054: first = min(2041, 4096 - 2054), last = M; summed up to E = 2047.
    EXPECT_EQ(state->harmonics[0].first, 2041);
    EXPECT_EQ(state->harmonics[0].last, 2048);
    const double signal = 1.0 + 13 * kFloor;
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSD), db(signal) - db(7 * kFloor), 1e-9);
    const double nd = (1003 + 1017) * kFloor;
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSN),
                db(signal) - db((nd - 7 * kFloor) * 2048.0 / 2041.0), 1e-9);
}

TEST_F(SignalStats, FundamentalAtBinThreeEmptiesTheDcRegion) {
    spectrum_test::set_window_parameters(*state, 2, 2);
    bin(3) = 1.0;
    const FftStats s = run();
    EXPECT_TRUE(log.has(err::kFundamentalTooLow));
    EXPECT_EQ(state->dc_bins, 0);
    EXPECT_EQ(state->fund_bin, 3);
    // Band 1 ... 5; the peak-noise band above it is cut at its edge.
    EXPECT_TRUE(log.has(err::kPeakNoiseInFundamental));
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSPN), db(1.0 + 4 * kFloor) - db(3 * kFloor),
                1e-9);
}

TEST_F(SignalStats, FundamentalBandInDcLowersDcBinsUntilTheNextWindow) {
    bin(15) = 1.0;
    const FftStats s = run();
    EXPECT_EQ(log.count(err::kFundamentalInDc), 1);
    EXPECT_EQ(state->dc_bins, 7);  // band 8 ... 21
    // Nothing below the band; above it 22 ... 2047, q = 2048 / (2047 - 7 - 13) = 1.
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSND), db(1.0 + 13 * kFloor) - db(2026 * kFloor),
                1e-9);
    run();  // the lowered DC region stays: the band no longer reaches into it
    EXPECT_EQ(log.count(err::kFundamentalInDc), 1);
    EXPECT_EQ(state->dc_bins, 7);
}

TEST_F(SignalStats, FundamentalBandAboveTheLimitEndsAtIt) {
    bin(2045) = 1.0;
    const FftStats s = run();
    EXPECT_TRUE(log.has(err::kFundamentalAboveLimit));
    // Band 2038 ... 2047: the harmonic table is empty and S/D infinite; check S/N+D.
    const double nd = (2037 - 13) * kFloor;  // 14 ... 2037; nothing above the band
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSND), db(1.0 + 9 * kFloor) - db(nd), 1e-9);
}

// Equal spurs: below the tone the highest wins (searched downward), above it the lowest, and
// between the two sides the upper one unless the lower is strictly larger. A small bump beside
// the winner tells the bands apart.
TEST_F(SignalStats, PeakNoiseTieRules) {
    const double signal = 1.0 + 13 * kFloor;
    const double pn = 1e-3 + 1e-5 + 12 * kFloor;  // band k - 7 ... k + 6 (s = 0)
    bin(1000) = 1.0;
    bin(500) = bin(700) = 1e-3;
    bin(702) = 1e-5;
    EXPECT_NEAR(value(run(), analysis::spectrum::kStatSPN), db(signal) - db(pn), 1e-9);

    bin(700) = bin(702) = kFloor;
    bin(1500) = bin(1700) = 1e-3;
    bin(1502) = 1e-5;
    EXPECT_NEAR(value(run(), analysis::spectrum::kStatSPN), db(signal) - db(pn), 1e-9);

    bin(500) = 1.0000001e-3;  // now strictly larger: the lower side wins
    bin(502) = 1e-5;
    bin(1502) = kFloor;
    EXPECT_NEAR(value(run(), analysis::spectrum::kStatSPN), db(signal) - db(pn + 1e-10), 1e-9);
}

TEST_F(SignalStats, PeakNoiseBandIsCutAtTheDcRegion) {
    bin(1000) = 1.0;
    bin(16) = 1e-3;
    const FftStats s = run();
    EXPECT_EQ(log.count(err::kPeakNoiseInDc), 1);
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSPN),
                db(1.0 + 13 * kFloor) - db(1e-3 + 8 * kFloor), 1e-9);
}

TEST_F(SignalStats, PeakNoiseBandIsCutAtTheFundamentalFromBelowAndAbove) {
    bin(1000) = 1.0;
    bin(990) = 1e-3;
    FftStats s = run();
    EXPECT_EQ(log.count(err::kPeakNoiseInFundamental), 1);  // 983 ... 992
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSPN),
                db(1.0 + 13 * kFloor) - db(1e-3 + 9 * kFloor), 1e-9);

    bin(990) = kFloor;
    bin(1010) = 1e-3;
    s = run();
    EXPECT_EQ(log.count(err::kPeakNoiseInFundamental), 2);  // 1007 ... 1016
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSPN),
                db(1.0 + 13 * kFloor) - db(1e-3 + 9 * kFloor), 1e-9);
}

TEST_F(SignalStats, PeakNoiseBandIsCutAtTheLimit) {
    bin(1000) = 1.0;
    bin(2045) = 1e-3;
    const FftStats s = run();
    EXPECT_EQ(log.count(err::kPeakNoiseAboveLimit), 1);  // 2038 ... 2047
    EXPECT_NEAR(value(s, analysis::spectrum::kStatSPN),
                db(1.0 + 13 * kFloor) - db(1e-3 + 9 * kFloor), 1e-9);
}

// The limit ends inside the DC bins: q's divisor would be 0 or negative, so the figures that
// rest on the noise sum are not produced.
TEST_F(SignalStats, LimitInsideDcLeavesNoNoiseFigures) {
    settings.limit_bw = 10;
    bin(1000) = 1.0;
    const FftStats s = run();
    EXPECT_TRUE(log.has(err::kNoNoiseBins));
    EXPECT_FALSE(s.displays[analysis::spectrum::kStatSN].value.has_value());
    EXPECT_FALSE(s.displays[analysis::spectrum::kStatSND].value.has_value());
    EXPECT_EQ(value(s, analysis::spectrum::kStatBins), 2048.0);
}

// Largest bin 1 (inside DC): (2047 + 6) / 1 - 1 harmonics of the tone at 817, capped at the
// table; the third harmonic folds onto the second.
TEST_F(SignalStats, HarmonicsOverlapAndAreCappedAtTheTable) {
    bin(1) = 10.0;
    bin(817) = 1.0;
    run();
    EXPECT_EQ(state->n_harmonics, analysis::spectrum::kMaxHarmonics);
    EXPECT_EQ(log.count(err::kTooManyHarmonics), 1);
    EXPECT_EQ(state->harmonics[0].first, 1627);
    EXPECT_EQ(state->harmonics[0].last, 1640);
    EXPECT_EQ(state->harmonics[0].status, kHarmonicCounted);
    EXPECT_EQ(state->harmonics[1].first, 1639);
    EXPECT_EQ(state->harmonics[1].last, 1652);
    EXPECT_EQ(state->harmonics[1].status, analysis::spectrum::kHarmonicOverlapBase + 0);
    EXPECT_TRUE(log.has(err::kHarmonicOverlap));
}

TEST_F(SignalStats, HarmonicFoldedBelowDcIsRejected) {
    bin(0) = 100.0;
    bin(2040) = 1.0;
    const FftStats s = run();
    EXPECT_EQ(state->harmonics[0].first, 10);
    EXPECT_EQ(state->harmonics[0].last, 23);
    EXPECT_EQ(state->harmonics[0].status, kHarmonicRejected);
    EXPECT_EQ(log.count(err::kHarmonicInDc), 1);
    EXPECT_EQ(value(s, analysis::spectrum::kStatSD), std::numeric_limits<double>::infinity());
}

TEST_F(SignalStats, HarmonicFoldedOntoTheFundamentalIsRejected) {
    bin(0) = 100.0;
    bin(1365) = 1.0;
    run();
    EXPECT_EQ(state->harmonics[0].first, 1360);
    EXPECT_EQ(state->harmonics[0].last, 1373);
    EXPECT_EQ(state->harmonics[0].status, kHarmonicRejected);
    EXPECT_EQ(log.count(err::kHarmonicInFundamental), 1);
}

// A fundamental above a 20 Hz limit: its band is cut to 21 ... 20, so the harmonic's folded
// band 49 ... 48 is empty.
TEST_F(SignalStats, EmptyHarmonicBandIsRejected) {
    settings.limit_bw = 20;
    bin(13) = 10.0;
    bin(28) = 1.0;
    run();
    EXPECT_TRUE(log.has(err::kFundamentalAboveLimit));
    // Cut to nothing, the fundamental band holds no tone.
    EXPECT_TRUE(log.has(err::kNoFundamental));
    ASSERT_EQ(state->n_harmonics, 1);
    EXPECT_EQ(state->harmonics[0].first, 49);
    EXPECT_EQ(state->harmonics[0].last, 48);
    EXPECT_EQ(state->harmonics[0].status, kHarmonicRejected);
    EXPECT_EQ(log.count(err::kHarmonicAliased), 1);
}

TEST_F(SignalStats, RecordTooShortForTheLayoutIsRefused) {
    bin(20) = 1.0;
    const FftStats s = run(55);  // needs 2 (13 + 12 + 3) = 56
    EXPECT_EQ(log.entries(), std::vector<int>{201});
    EXPECT_FALSE(s.displays[analysis::spectrum::kStatSN].value.has_value());
    EXPECT_FALSE(s.displays[analysis::spectrum::kStatSD].value.has_value());
    EXPECT_EQ(state->fund_bin, -1);
    EXPECT_EQ(state->n_harmonics, 0);
    run(56);
    EXPECT_EQ(log.count(err::kSampleSizeTooSmall), 1);
    EXPECT_EQ(state->fund_bin, 20);
}

TEST_F(SignalStats, ErrorsOnlyWhileTheButtonIsOnAndFiguresEitherWay) {
    bin(1000) = 1.0;
    bin(16) = 1e-3;
    const FftStats off = run(kN, {0, 1, 1, 1});
    EXPECT_TRUE(log.entries().empty());
    spectrum_test::set_window_parameters(*state, 6, 13);
    const FftStats on = run(kN, {1, 0, 0, 0});
    EXPECT_EQ(log.entries(), std::vector<int>{251});
    for (int i = 0; i < 5; ++i) EXPECT_EQ(off.displays[i].value, on.displays[i].value) << i;
}

TEST_F(SignalStats, ErrorsNameTheChannelUnderTest) {
    spectrum_test::flat_spectrum(*state, 2, kN, kFloor);
    state->avg_buff[2][1000] = 1.0;
    state->avg_buff[2][2045] = 1e-3;
    analysis::spectrum::signal_FFT_stats(*state, 2, kN, settings, log.reporter());
    EXPECT_EQ(log.entries(), std::vector<int>{273});
}

}  // namespace
