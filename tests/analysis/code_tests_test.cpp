// The time-domain and histogram tests: axes, plots, statistics and wide spans.
#include <cmath>

#include "analysis/code_tests.h"
#include "fixture.h"

using testing_support::AnalysisTest;

namespace {

class CodeTests : public AnalysisTest {
  protected:
    void SetUp() override {
        AnalysisTest::SetUp();
        t->capture.NumberOfChannels = 4;
        for (int c = 0; c < 4; ++c) t->analysis.ch_count[c] = 0;
        analysis::analysis(app());
    }
    // n samples cycling through lo..hi.
    static std::vector<std::int32_t> ramp(int n, int lo, int hi) {
        std::vector<std::int32_t> v(n);
        for (int i = 0; i < n; ++i) v[i] = lo + i % (hi - lo + 1);
        return v;
    }
};

TEST_F(CodeTests, TimeAxesCoverEveryEnabledChannelWithAFivePercentMargin) {
    set_channel(0, {-1000, 0, 1000});
    set_channel(1, {-500, 3000, 0, 0, 0});
    set_channel(2, {-9000, 9000});
    set_buttons(1, 1, 0, 0);
    run_test(analysis::kTimeDomain, 1);
    EXPECT_EQ(graph().y.mode, ui::VAL_MANUAL);
    EXPECT_DOUBLE_EQ(graph().y.min, -1200);
    EXPECT_DOUBLE_EQ(graph().y.max, 3200);
    EXPECT_DOUBLE_EQ(graph().x.min, 0);
    EXPECT_DOUBLE_EQ(graph().x.max, 4);
    ASSERT_EQ(graph().plots.size(), 2u);
    EXPECT_EQ(graph().plots[0].colour, 0x000000);
    EXPECT_EQ(graph().plots[1].colour, 0x800000);
    EXPECT_EQ(graph().plots[1].y, (std::vector<double>{-500, 3000, 0, 0, 0}));
    EXPECT_TRUE(graph().plots[1].x.empty());  // against the index
    EXPECT_EQ(display_label(0), "MAXIMUM");
    EXPECT_EQ(display_label(1), "MINIMUM");
    EXPECT_DOUBLE_EQ(display(0), 3000);
    EXPECT_DOUBLE_EQ(display(1), -500);
    EXPECT_EQ(graph().xname, "Sample");
    EXPECT_EQ(ctrl(ANALYSIS_GRAPH).label, "TIME DOMAIN");
    EXPECT_EQ(ctrl(ANALYSIS_CURSORX).label, "COUNT");
}

TEST_F(CodeTests, TimeAxesStopAtFullScale) {
    set_channel(0, {8388607, 0, -8388608});
    set_buttons(1, 0, 0, 0);
    run_test(analysis::kTimeDomain);
    EXPECT_DOUBLE_EQ(graph().y.max, 8388607);
    EXPECT_DOUBLE_EQ(graph().y.min, -8388608);
}

TEST_F(CodeTests, StatisticsOfAChannelWhoseButtonIsOff) {
    set_channel(0, {5, 6});
    set_channel(3, {-7, 70});
    set_buttons(1, 0, 0, 0);
    run_test(analysis::kTimeDomain, 3);
    EXPECT_DOUBLE_EQ(display(0), 70);
    EXPECT_DOUBLE_EQ(display(1), -7);
    EXPECT_EQ(graph().plots.size(), 1u);
}

TEST_F(CodeTests, HistogramHasOneBarPerCode) {
    set_channel(0, ramp(4096, -10, 10));
    set_buttons(1, 0, 0, 0);
    run_test(analysis::kHistogram);
    ASSERT_EQ(graph().plots.size(), 1u);
    const ui::Plot& bars = graph().plots[0];
    EXPECT_EQ(bars.kind, ui::PlotKind::Bars);
    ASSERT_EQ(bars.x.size(), 21u);
    for (int k = 0; k <= 20; ++k) EXPECT_DOUBLE_EQ(bars.x[k], -10 + k);
    // 4096 = 21 * 195 + 1: code -10 occurs once more than the others.
    EXPECT_DOUBLE_EQ(bars.y[0], 196);
    EXPECT_DOUBLE_EQ(bars.y[20], 195);
    EXPECT_DOUBLE_EQ(graph().x.min, -15);
    EXPECT_DOUBLE_EQ(graph().x.max, 15);
    EXPECT_DOUBLE_EQ(graph().y.min, 0);
    EXPECT_DOUBLE_EQ(graph().y.max, 1.05 * 196);
    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(ctrl(ANALYSIS_GRAPH).label, "HISTOGRAM");
    EXPECT_EQ(graph().xname, "Code");
}

TEST_F(CodeTests, HistogramStatisticsOfOneToFour) {
    set_channel(0, {1, 2, 3, 4});
    run_test(analysis::kHistogram);
    const char* labels[] = {"MAXIMUM", "MINIMUM", "MEAN", "STD_DEV", "VARIANCE"};
    const int precision[] = {0, 0, 2, 2, 2};
    for (int d = 0; d < 5; ++d) {
        EXPECT_TRUE(visible(analysis::stat_display(d)));
        EXPECT_EQ(display_label(d), labels[d]);
        EXPECT_EQ(ctrl(analysis::stat_display(d)).precision, precision[d]);
        EXPECT_EQ(ctrl(analysis::stat_display(d)).text_colour, 0xFFFFFF);
    }
    EXPECT_DOUBLE_EQ(display(0), 4);
    EXPECT_DOUBLE_EQ(display(1), 1);
    EXPECT_DOUBLE_EQ(display(2), 2.5);
    EXPECT_DOUBLE_EQ(display(3), std::sqrt(1.25));
    EXPECT_DOUBLE_EQ(display(4), 1.25);
}

TEST_F(CodeTests, HistogramOfASingleCode) {
    set_channel(0, {7, 7, 7});
    set_buttons(1, 0, 0, 0);
    run_test(analysis::kHistogram);
    ASSERT_EQ(graph().plots.size(), 1u);
    EXPECT_EQ(graph().plots[0].x, (std::vector<double>{7}));
    EXPECT_EQ(graph().plots[0].y, (std::vector<double>{3}));
}

// Codes that outnumber the samples are counted in bars of equal width, each at the middle of
// its codes, rather than refused: every sample is in one bar and every channel is drawn.
TEST_F(CodeTests, AWideSpanIsBinnedInBarsOfEqualWidth) {
    set_channel(0, ramp(100, 0, 9));
    std::vector<std::int32_t> wide(4096, 0);
    wide[1] = 5000;  // 5001 codes spanned by 4096 samples: bars of 6 codes
    set_channel(1, wide);
    set_channel(2, ramp(50, 0, 4));
    set_buttons(1, 1, 1, 0);
    run_test(analysis::kHistogram);
    EXPECT_TRUE(errors().empty());
    ASSERT_EQ(graph().plots.size(), 3u);
    const auto& bars = graph().plots[1];
    ASSERT_EQ(bars.x.size(), 834u);
    EXPECT_DOUBLE_EQ(bars.x.front(), 2.5);
    EXPECT_DOUBLE_EQ(bars.x[1] - bars.x[0], 6.0);
    EXPECT_DOUBLE_EQ(bars.y.front(), 4095);
    EXPECT_DOUBLE_EQ(bars.y.back(), 1);
    EXPECT_EQ(graph().plots[0].x.size(), 10u);  // a narrow span keeps one bar per code
}

TEST_F(CodeTests, EmptyChannelsAreNotPlotted) {
    set_channel(0, {3, 4});
    run_test(analysis::kHistogram);  // channels 2 to 4 hold nothing
    EXPECT_EQ(graph().plots.size(), 1u);
    run_test(analysis::kTimeDomain, 2);
    EXPECT_EQ(graph().plots.size(), 1u);
    EXPECT_DOUBLE_EQ(display(0), 0);
}

}  // namespace

// The first-cycles view ends after ten cycles of the statistics channel's tone; noise riding on
// a slow slope does not count as extra cycles, and a block of fewer cycles is shown whole.
TEST_F(CodeTests, TheFirstCyclesViewEndsAfterTenCycles) {
    std::vector<std::int32_t> tone(2000);
    for (int i = 0; i < 2000; ++i)  // period 50, with a 1 % ripple every sample
        tone[i] = static_cast<std::int32_t>(std::lround(
            10000 * std::sin(2 * 3.14159265358979 * i / 50.0 + 0.5) + (i % 2 ? 100 : -100)));
    const int end = analysis::cycles_end(tone.data(), 2000, analysis::kFirstCycles);
    EXPECT_NEAR(end, 50 * 10 + 50 - 4, 8);  // first crossing near sample 46, ten periods on
    EXPECT_EQ(analysis::cycles_end(tone.data(), 120, analysis::kFirstCycles), 119);
    EXPECT_EQ(analysis::cycles_end(tone.data(), 0, analysis::kFirstCycles), 0);

    set_channel(0, tone);
    app().analysis.first_cycles = 1;
    run_test(analysis::kTimeDomain);
    EXPECT_DOUBLE_EQ(graph().x.max, end);
    EXPECT_EQ(graph().plots.front().y.size(), 2000u);  // the data stay whole: zoom out to see
    app().analysis.first_cycles = 0;
    run_test(analysis::kTimeDomain);
    EXPECT_DOUBLE_EQ(graph().x.max, 1999);
}
