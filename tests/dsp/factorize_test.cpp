#include "dsp/factorize.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

std::vector<int> factors_of(int n) {
    const dsp::detail::Factors f = dsp::detail::factorize(n);
    return std::vector<int>(f.f, f.f + f.count);
}

TEST(Factorize, LargestRadicesFirstThenReversed) {
    EXPECT_EQ(factors_of(1000), (std::vector<int>{10, 10, 10}));
    EXPECT_EQ(factors_of(999), (std::vector<int>{37, 3, 3, 3}));
    EXPECT_EQ(factors_of(80), (std::vector<int>{8, 10}));
    EXPECT_EQ(factors_of(40), (std::vector<int>{4, 10}));
    EXPECT_EQ(factors_of(12), (std::vector<int>{3, 4}));
    EXPECT_EQ(factors_of(6), (std::vector<int>{2, 3}));
    EXPECT_EQ(factors_of(32), (std::vector<int>{4, 8}));
    EXPECT_EQ(factors_of(1000000), (std::vector<int>(6, 10)));
}

TEST(Factorize, EightThenTwoBecomesFourAndFour) {
    EXPECT_EQ(factors_of(16), (std::vector<int>{4, 4}));
    EXPECT_EQ(factors_of(1024), (std::vector<int>{4, 4, 8, 8}));
    EXPECT_EQ(factors_of(160), (std::vector<int>{4, 4, 10}));
    EXPECT_EQ(factors_of(48), (std::vector<int>{4, 3, 4}));
    EXPECT_EQ(factors_of(2), (std::vector<int>{2}));  // no 8 before the 2
    EXPECT_EQ(factors_of(2 * 27), (std::vector<int>{2, 3, 3, 3}));
}

TEST(Factorize, OtherFactorsByTrialDivision) {
    EXPECT_EQ(factors_of(539), (std::vector<int>{11, 7, 7}));
    EXPECT_EQ(factors_of(997), (std::vector<int>{997}));
    EXPECT_EQ(factors_of(1009), (std::vector<int>{1009}));
    EXPECT_EQ(factors_of(2018), (std::vector<int>{1009, 2}));
    EXPECT_EQ(factors_of(7 * 1009), (std::vector<int>{1009, 7}));
    EXPECT_EQ(dsp::detail::factorize(997).largest(), 997);
    EXPECT_EQ(dsp::detail::factorize(2018).largest(), 1009);
}

TEST(Factorize, ProductIsTheLength) {
    std::mt19937 gen(5);
    std::uniform_int_distribution<int> length(2, 1 << 30);
    for (int trial = 0; trial < 2000; ++trial) {
        const int n = trial < 100 ? trial + 2 : length(gen);
        const dsp::detail::Factors f = dsp::detail::factorize(n);
        long long product = 1;
        for (int i = 0; i < f.count; ++i) {
            ASSERT_GE(f.f[i], 2) << n;
            product *= f.f[i];
        }
        ASSERT_EQ(product, n);
    }
}

}  // namespace
