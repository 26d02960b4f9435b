#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "dsp/dsp.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(MaxMin1D, SkipsNaNAndKeepsFirstIndexOnTies) {
    const double x[] = {kNaN, 3, 3, 1};
    double max = 0, min = 0;
    int imax = 0, imin = 0;
    ASSERT_EQ(dsp::MaxMin1D(x, 4, &max, &imax, &min, &imin), 0);
    EXPECT_EQ(max, 3);
    EXPECT_EQ(imax, 1);
    EXPECT_EQ(min, 1);
    EXPECT_EQ(imin, 3);

    const double y[] = {2, 5, kNaN, 5, 1, 1, kNaN, -kInf, -kInf};
    ASSERT_EQ(dsp::MaxMin1D(y, 9, &max, &imax, &min, &imin), 0);
    EXPECT_EQ(max, 5);
    EXPECT_EQ(imax, 1);
    EXPECT_EQ(min, -kInf);
    EXPECT_EQ(imin, 7);
}

TEST(MaxMin1D, SingleElementAndAllNaN) {
    const double one[] = {-4};
    double max = 0, min = 0;
    int imax = 9, imin = 9;
    ASSERT_EQ(dsp::MaxMin1D(one, 1, &max, &imax, &min, &imin), 0);
    EXPECT_EQ(max, -4);
    EXPECT_EQ(min, -4);
    EXPECT_EQ(imax, 0);
    EXPECT_EQ(imin, 0);

    const double nans[] = {kNaN, kNaN};
    ASSERT_EQ(dsp::MaxMin1D(nans, 2, &max, &imax, &min, &imin), 0);
    EXPECT_TRUE(std::isnan(max));
    EXPECT_TRUE(std::isnan(min));
    EXPECT_EQ(imax, -1);
    EXPECT_EQ(imin, -1);
}

TEST(MaxMin1D, RejectsEmptyInput) {
    const double x[] = {1};
    double max = 7, min = 7;
    int imax = 7, imin = 7;
    EXPECT_EQ(dsp::MaxMin1D(x, 0, &max, &imax, &min, &imin), dsp::kInvalidCount);
    EXPECT_EQ(max, 7);
    EXPECT_EQ(imax, 7);
}

TEST(Histogram, CountsWithTopInLastBin) {
    const double x[] = {0, 0.5, 1};
    int counts[2] = {-1, -1};
    double axis[2] = {};
    ASSERT_EQ(dsp::Histogram(x, 3, 0, 1, counts, axis, 2), 0);
    EXPECT_EQ(counts[0], 1);
    EXPECT_EQ(counts[1], 2);
    EXPECT_DOUBLE_EQ(axis[0], 0.25);
    EXPECT_DOUBLE_EQ(axis[1], 0.75);
}

TEST(Histogram, IgnoresValuesOutsideTheRange) {
    const double x[] = {-1, -0.001, 0, 9.999, 10, 10.001, 1e300, -1e300, kNaN, kInf, -kInf, 5};
    int counts[4];
    double axis[4];
    ASSERT_EQ(dsp::Histogram(x, 12, 0, 10, counts, axis, 4), 0);
    EXPECT_EQ(counts[0], 1);  // 0
    EXPECT_EQ(counts[1], 0);
    EXPECT_EQ(counts[2], 1);  // 5
    EXPECT_EQ(counts[3], 2);  // 9.999 and 10
    EXPECT_DOUBLE_EQ(axis[0], 1.25);
    EXPECT_DOUBLE_EQ(axis[3], 8.75);
}

// Just below top the scaled position can round up to the bin count; the value is inside the
// range and belongs to the last bin.
TEST(Histogram, ValueJustBelowTopStaysInLastBin) {
    const double base = 0.0, top = 0.1;
    const int intervals = 5;
    const double x[] = {std::nextafter(top, 0.0)};
    ASSERT_GE(std::floor((1.0 / ((top - base) / intervals)) * (x[0] - base)), intervals);
    int counts[intervals];
    double axis[intervals];
    ASSERT_EQ(dsp::Histogram(x, 1, base, top, counts, axis, intervals), 0);
    EXPECT_EQ(counts[intervals - 1], 1);
    EXPECT_EQ(counts[0] + counts[1] + counts[2] + counts[3], 0);
}

TEST(Histogram, RejectsBadRangeAndCounts) {
    const double x[] = {1, 2};
    int counts[2] = {5, 5};
    double axis[2] = {5, 5};
    EXPECT_EQ(dsp::Histogram(x, 2, 1, 1, counts, axis, 2), dsp::kInvalidRange);
    EXPECT_EQ(dsp::Histogram(x, 2, 3, 1, counts, axis, 2), dsp::kInvalidRange);
    EXPECT_EQ(dsp::Histogram(x, 2, kNaN, 1, counts, axis, 2), dsp::kInvalidRange);
    EXPECT_EQ(dsp::Histogram(x, 0, 3, 1, counts, axis, 2), dsp::kInvalidRange);  // range first
    EXPECT_EQ(dsp::Histogram(x, 0, 0, 1, counts, axis, 2), dsp::kInvalidCount);
    EXPECT_EQ(dsp::Histogram(x, 2, 0, 1, counts, axis, 0), dsp::kInvalidCount);
    EXPECT_EQ(counts[0], 5);
    EXPECT_EQ(axis[1], 5);
}

TEST(StdDev, SmallExample) {
    const double x[] = {1, 2, 3, 4};
    double mean = 0, sd = 0, var = 0;
    ASSERT_EQ(dsp::StdDev(x, 4, &mean, &sd), 0);
    EXPECT_DOUBLE_EQ(mean, 2.5);
    EXPECT_DOUBLE_EQ(sd, std::sqrt(1.25));
    ASSERT_EQ(dsp::Variance(x, 4, &mean, &var), 0);
    EXPECT_DOUBLE_EQ(mean, 2.5);
    EXPECT_DOUBLE_EQ(var, 1.25);
}

// A 24-bit converter's codes with a large offset: a sum of squares about zero would lose all
// digits of the variance; about the middle element it stays accurate.
TEST(StdDev, AccurateWithLargeOffset) {
    std::mt19937 gen(11);
    std::normal_distribution<double> noise(0.0, 3.0);
    const int n = 100001;
    std::vector<double> x(n);
    for (double& v : x) v = 8.0e9 + std::round(noise(gen) * 1000) / 1000;
    long double sum = 0;
    for (double v : x) sum += v;
    const long double ref_mean = sum / n;
    long double sq = 0;
    for (double v : x) sq += (v - ref_mean) * (v - ref_mean);
    const long double ref_var = sq / n;

    double mean = 0, sd = 0, var = 0;
    ASSERT_EQ(dsp::StdDev(x.data(), n, &mean, &sd), 0);
    EXPECT_NEAR(mean, static_cast<double>(ref_mean), 1e-6);
    EXPECT_NEAR(sd, static_cast<double>(std::sqrt(ref_var)), 1e-9);
    ASSERT_EQ(dsp::Variance(x.data(), n, &mean, &var), 0);
    EXPECT_NEAR(var, static_cast<double>(ref_var), 1e-8);
}

TEST(StdDev, ConstantDataHasZeroSpread) {
    const double x[] = {1e12 + 0.5, 1e12 + 0.5, 1e12 + 0.5};
    double mean = 0, sd = 1, var = 1;
    ASSERT_EQ(dsp::StdDev(x, 3, &mean, &sd), 0);
    EXPECT_EQ(mean, 1e12 + 0.5);
    EXPECT_EQ(sd, 0.0);
    ASSERT_EQ(dsp::Variance(x, 3, &mean, &var), 0);
    EXPECT_EQ(var, 0.0);
}

TEST(StdDev, RejectsNonPositiveCount) {
    const double x[] = {1};
    double mean = 3, out = 3;
    EXPECT_EQ(dsp::StdDev(x, 0, &mean, &out), dsp::kInvalidCount);
    EXPECT_EQ(dsp::Variance(x, -1, &mean, &out), dsp::kInvalidCount);
    EXPECT_EQ(mean, 3);
    EXPECT_EQ(out, 3);
}

TEST(ArrayOps, MultiplyAndCopy) {
    const double x[] = {1, -2, 3.5}, y[] = {2, 4, -2};
    double z[3], c[3];
    ASSERT_EQ(dsp::Mul1D(x, y, 3, z), 0);
    EXPECT_EQ(z[0], 2);
    EXPECT_EQ(z[1], -8);
    EXPECT_EQ(z[2], -7);
    ASSERT_EQ(dsp::Copy1D(x, 3, c), 0);
    EXPECT_EQ(c[2], 3.5);
    EXPECT_EQ(dsp::Mul1D(x, y, 0, z), dsp::kInvalidCount);
    EXPECT_EQ(dsp::Copy1D(x, -3, c), dsp::kInvalidCount);
}

TEST(Log2, FloorOfBinaryLogarithm) {
    EXPECT_EQ(dsp::Log2(0), -1);
    EXPECT_EQ(dsp::Log2(-8), -1);
    EXPECT_EQ(dsp::Log2(1), 0);
    EXPECT_EQ(dsp::Log2(2), 1);
    EXPECT_EQ(dsp::Log2(3), 1);
    EXPECT_EQ(dsp::Log2(1024), 10);
    EXPECT_EQ(dsp::Log2(1025), 10);
    EXPECT_EQ(dsp::Log2(1048577), 20);
    EXPECT_EQ(dsp::Log2(INT_MAX), 30);
}

}  // namespace
