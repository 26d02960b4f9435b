#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "analysis/spectrum/spectrum.h"
#include "spectrum_test_support.h"

namespace {

using spectrum_test::ErrorLog;

struct Plotted {
    int channel;
    std::vector<double> x, phase;
};

// A cosine on bin 8 of n samples with the given phase in degrees.
std::vector<int32_t> cosine(int n, double degrees) {
    std::vector<double> v(n);
    const double phi = degrees * std::numbers::pi / 180.0;
    for (int i = 0; i < n; ++i) v[i] = 1e6 * std::cos(2.0 * std::numbers::pi * 8 * i / n + phi);
    return spectrum_test::to_codes(v);
}

class PhaseTest : public ::testing::Test {
  protected:
    void run(std::array<int, 4> enabled, int window_index = analysis::spectrum::kWindowNone) {
        std::array<analysis::spectrum::SpectrumChannel, 4> data;
        for (int c = 0; c < 4; ++c)
            data[c] = {blocks[c].data(), static_cast<int>(blocks[c].size())};
        analysis::spectrum::phase_test(
            *state, data, window_index, 1024.0, log.reporter(enabled),
            [this](int c, std::span<const double> x, std::span<const double> p) {
                plots.push_back({c, {x.begin(), x.end()}, {p.begin(), p.end()}});
            });
    }

    std::unique_ptr<analysis::spectrum::SpectrumState> state =
        std::make_unique<analysis::spectrum::SpectrumState>();
    std::array<std::vector<int32_t>, 4> blocks;
    std::vector<Plotted> plots;
    ErrorLog log;
};

TEST_F(PhaseTest, EachChannelShowsItsOwnPhase) {
    blocks = {cosine(256, 30.0), cosine(256, -60.0), cosine(256, 0.0), cosine(256, 0.0)};
    run({1, 1, 0, 0});
    ASSERT_EQ(plots.size(), 2u);
    EXPECT_EQ(plots[0].channel, 0);
    EXPECT_EQ(plots[1].channel, 1);
    ASSERT_EQ(plots[0].phase.size(), 128u);
    EXPECT_NEAR(plots[0].phase[8], 30.0, 1e-3);
    EXPECT_NEAR(plots[1].phase[8], -60.0, 1e-3);
    EXPECT_EQ(plots[0].x[8], 1024.0 * 8 / 256);
    EXPECT_TRUE(log.entries().empty());
}

// The windows used here are symmetric about the middle of the block, which turns the phase of
// a tone on a bin by 180 degrees per bin; the phase stays the channel's own.
TEST_F(PhaseTest, WindowedTransformKeepsTheTonePhase) {
    blocks = {cosine(256, 45.0), {}, {}, {}};
    run({1, 0, 0, 0}, analysis::spectrum::kWindowBlackmanHarris);
    ASSERT_EQ(plots.size(), 1u);
    EXPECT_NEAR(plots[0].phase[8], 45.0, 1e-3);
}

TEST_F(PhaseTest, ShortChannelEndsTheTestWithOneError) {
    blocks = {std::vector<int32_t>(31, 5), cosine(256, 0.0), cosine(256, 0.0), {}};
    run({1, 1, 1, 1});
    EXPECT_EQ(log.entries(), std::vector<int>{501});
    EXPECT_TRUE(plots.empty());
}

TEST_F(PhaseTest, ShortChannelWithItsButtonOffEndsTheTestSilently) {
    blocks = {cosine(256, 0.0), cosine(256, 0.0), {}, {}};
    run({1, 1, 0, 1});
    EXPECT_TRUE(log.entries().empty());
    EXPECT_EQ(plots.size(), 2u);

    plots.clear();
    run({1, 1, 1, 0});
    EXPECT_EQ(log.entries(), std::vector<int>{503});
    EXPECT_EQ(plots.size(), 2u);
}

}  // namespace
