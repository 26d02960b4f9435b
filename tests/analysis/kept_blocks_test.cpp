// The blocks kept for the digitizer tests: what is kept, what is refused, and the cap.
#include <gtest/gtest.h>

#include <vector>

#include "analysis/kept_blocks.h"

namespace {

using analysis::KeptBlocks;

std::vector<std::span<const std::int32_t>> spans(const std::vector<std::vector<std::int32_t>>& c) {
    return {c.begin(), c.end()};
}

TEST(KeptBlocks, KeepsBlocksOfOneShapeUpToTheCapAndCountsTheRest) {
    KeptBlocks k;
    const auto g0 = k.generation();
    const std::vector<std::vector<std::int32_t>> four(4, std::vector<std::int32_t>(1 << 21, 7));
    for (int b = 0; b < 5; ++b) k.add(spans(four));
    EXPECT_EQ(k.seen(), 5);
    EXPECT_EQ(k.kept(), 4);  // 4 x 4 x 2^21 samples fill the cap
    EXPECT_EQ(k.channels(), 4);
    EXPECT_EQ(k.channel(3, 2).size(), std::size_t{1} << 21);
    EXPECT_EQ(k.channel(3, 2)[100], 7);
    EXPECT_TRUE(k.channel(4, 0).empty());
    EXPECT_TRUE(k.channel(0, 4).empty());
    EXPECT_GT(k.generation(), g0);
    // A block of another channel count cannot join the run.
    k.clear();
    const std::vector<std::vector<std::int32_t>> two(2, std::vector<std::int32_t>(16, 1));
    k.add(spans(two));
    k.add(spans(four));
    EXPECT_EQ(k.kept(), 1);
    EXPECT_EQ(k.channels(), 2);
    EXPECT_EQ(k.seen(), 2);
}

}  // namespace
