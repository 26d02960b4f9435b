#include "dsp/plan_cache.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A plan that counts its builds; length 0 stands for a build that runs out of memory.
struct CountingPlan {
    static inline int builds = 0;
    int n = 0;
    static std::shared_ptr<const CountingPlan> build(int n) {
        if (n == 0) return nullptr;
        ++builds;
        auto plan = std::make_shared<CountingPlan>();
        plan->n = n;
        return plan;
    }
    std::size_t bytes() const { return 100 * static_cast<std::size_t>(n); }
};

TEST(PlanCache, BuildsOncePerLengthAndKeepsTheMostRecent) {
    CountingPlan::builds = 0;
    dsp::detail::PlanCache<CountingPlan> cache(3, 1 << 20);
    const auto a = cache.get(1);
    EXPECT_EQ(cache.get(1), a);
    EXPECT_EQ(CountingPlan::builds, 1);
    cache.get(2);
    cache.get(3);
    cache.get(1);  // now the most recent: 1, 3, 2
    cache.get(4);  // drops 2
    EXPECT_EQ(CountingPlan::builds, 4);
    cache.get(1);
    cache.get(3);
    cache.get(4);
    EXPECT_EQ(CountingPlan::builds, 4);
    cache.get(2);
    EXPECT_EQ(CountingPlan::builds, 5);
}

TEST(PlanCache, ByteBudgetKeepsAtLeastTheNewest) {
    CountingPlan::builds = 0;
    dsp::detail::PlanCache<CountingPlan> cache(8, 1000);
    const auto big = cache.get(20);  // 2000 bytes: over budget, kept as the newest
    EXPECT_EQ(cache.get(20), big);
    cache.get(3);   // 300 bytes: the big one goes
    cache.get(20);  // rebuilt
    EXPECT_EQ(CountingPlan::builds, 3);
    EXPECT_EQ(big->n, 20);  // a plan in use outlives its eviction
}

TEST(PlanCache, FailedBuildIsNotKept) {
    CountingPlan::builds = 0;
    dsp::detail::PlanCache<CountingPlan> cache(4, 1 << 20);
    EXPECT_EQ(cache.get(0), nullptr);
    EXPECT_EQ(cache.get(0), nullptr);
    EXPECT_NE(cache.get(5), nullptr);
}

}  // namespace
