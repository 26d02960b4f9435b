#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

#include "dft_reference.h"
#include "dsp/dsp.h"

namespace {

using dsp_test::direct_dft;
using dsp_test::relative_error;

constexpr double kTolerance = 1e-13;

std::vector<double> random_signal(int n, unsigned seed, double offset = 0.0) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> v(n);
    for (double& s : v) s = offset + dist(gen);
    return v;
}

TEST(ReFFT, RejectsNonPositiveLengths) {
    double x[1] = {1.0}, y[1] = {2.0};
    EXPECT_EQ(dsp::ReFFT(x, y, 0), dsp::kInvalidCount);
    EXPECT_EQ(dsp::ReFFT(x, y, -4), dsp::kInvalidCount);
    EXPECT_EQ(dsp::CxFFT(x, y, 0), dsp::kInvalidCount);
    EXPECT_EQ(dsp::CxInvFFT(x, y, -1), dsp::kInvalidCount);
    EXPECT_EQ(x[0], 1.0);
    EXPECT_EQ(y[0], 2.0);
}

TEST(ReFFT, SingleSampleKeepsValueAndClearsImaginary) {
    double x[1] = {3.5}, y[1] = {7.0};
    ASSERT_EQ(dsp::ReFFT(x, y, 1), 0);
    EXPECT_EQ(x[0], 3.5);
    EXPECT_EQ(y[0], 0.0);
}

TEST(ReFFT, UnitImpulsesOfLengthFour) {
    double x[4] = {1, 0, 0, 0}, y[4] = {9, 9, 9, 9};
    ASSERT_EQ(dsp::ReFFT(x, y, 4), 0);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(x[k], 1.0) << k;
        EXPECT_EQ(y[k], 0.0) << k;
    }
    double u[4] = {0, 1, 0, 0}, v[4];
    ASSERT_EQ(dsp::ReFFT(u, v, 4), 0);
    const double want_re[4] = {1, 0, -1, 0}, want_im[4] = {0, -1, 0, 1};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(u[k], want_re[k]) << k;
        EXPECT_EQ(v[k], want_im[k]) << k;
    }
}

// Lengths of every path: powers of two (split radix), products of the radices 10, 8, 5, 4, 3,
// 2 (16 and 160 end in 8 * 2, taken as 4 * 4), odd factors up to 998 (27 * 37, 7 * 11 * 13,
// the prime 997), and lengths with a prime factor above 998 (chirp-z).
const int kLengths[] = {
    2,    4,    8,    16,   32,       64,  128, 256,  512, 1024, 2048,
    4096,  // powers of two
    3,    5,    6,    10,   12,       15,  20,  24,   30,  40,   48,
    60,   80,   100,  160,  200,      240, 360, 640,  720, 1000, 1200,
    1600, 2000, 3000,  // radices 2..10
    7,    9,    21,   49,   77,       343, 999, 1001, 997, 1994, 2 * 3 * 5 * 7 * 11,  // odd
    1009, 1013, 2018, 2003, 3 * 1013,                                                 // chirp-z
};

class Lengths : public ::testing::TestWithParam<int> {};

TEST_P(Lengths, ReFFTMatchesDirectSum) {
    const int n = GetParam();
    std::vector<double> x = random_signal(n, 100 + n, 0.25);
    const auto ref = direct_dft(x, std::vector<double>(n, 0.0));
    std::vector<double> y(n, 123.0);
    ASSERT_EQ(dsp::ReFFT(x.data(), y.data(), n), 0);
    EXPECT_LE(relative_error(ref, x, y), kTolerance);
    EXPECT_EQ(y[0], 0.0);
    if (n % 2 == 0) {
        EXPECT_EQ(y[n / 2], 0.0);
    }
    for (int k = 1; k < n; ++k) {
        ASSERT_EQ(x[k], x[n - k]) << k;
        ASSERT_EQ(y[k], -y[n - k]) << k;
    }
}

TEST_P(Lengths, CxFFTMatchesDirectSum) {
    const int n = GetParam();
    std::vector<double> re = random_signal(n, 200 + n), im = random_signal(n, 300 + n, -0.5);
    const auto ref = direct_dft(re, im);
    ASSERT_EQ(dsp::CxFFT(re.data(), im.data(), n), 0);
    EXPECT_LE(relative_error(ref, re, im), kTolerance);
}

TEST_P(Lengths, InverseRestoresInput) {
    const int n = GetParam();
    const std::vector<double> re0 = random_signal(n, 400 + n), im0 = random_signal(n, 500 + n);
    std::vector<double> re = re0, im = im0;
    ASSERT_EQ(dsp::CxFFT(re.data(), im.data(), n), 0);
    ASSERT_EQ(dsp::CxInvFFT(re.data(), im.data(), n), 0);
    for (int i = 0; i < n; ++i) {
        ASSERT_NEAR(re[i], re0[i], 1e-13) << i;
        ASSERT_NEAR(im[i], im0[i], 1e-13) << i;
    }
}

TEST_P(Lengths, InverseMatchesDirectSum) {
    const int n = GetParam();
    std::vector<double> re = random_signal(n, 600 + n), im = random_signal(n, 700 + n);
    auto ref = direct_dft(re, im, +1);
    for (auto& v : ref) v /= static_cast<long double>(n);
    ASSERT_EQ(dsp::CxInvFFT(re.data(), im.data(), n), 0);
    EXPECT_LE(relative_error(ref, re, im), kTolerance);
}

INSTANTIATE_TEST_SUITE_P(AllPaths, Lengths, ::testing::ValuesIn(kLengths));

TEST(ReFFT, RandomLengthsMatchDirectSum) {
    std::mt19937 gen(2024);
    std::uniform_int_distribution<int> length(2, 2500);
    for (int trial = 0; trial < 40; ++trial) {
        const int n = length(gen);
        std::vector<double> x = random_signal(n, trial), y(n);
        const auto ref = direct_dft(x, std::vector<double>(n, 0.0));
        ASSERT_EQ(dsp::ReFFT(x.data(), y.data(), n), 0) << n;
        EXPECT_LE(relative_error(ref, x, y), kTolerance) << n;
    }
}

// Long transforms against the exact spectrum of two tones on whole bins: cache-blocked passes,
// tiled bit reversal, long convolutions.
TEST(ReFFT, LongTransformsOfTonesOnBins) {
    for (const int n : {65536, 131072, 60000, 59049, 65537, 131072 + 1}) {
        const int f = 1234, g = 20021;
        std::vector<double> x(n), y(n);
        for (int i = 0; i < n; ++i) {
            const long double t = 2 * std::numbers::pi_v<long double> * i / n;
            x[i] = static_cast<double>(std::cos(t * f) + 0.5L * std::sin(t * g));
        }
        ASSERT_EQ(dsp::ReFFT(x.data(), y.data(), n), 0) << n;
        double worst = 0;
        for (int k = 0; k < n; ++k) {
            double want_re = 0, want_im = 0;
            if (k == f || k == n - f) want_re = n / 2.0;
            if (k == g) want_im = -n / 4.0;
            if (k == n - g) want_im = n / 4.0;
            worst = std::max(worst, std::hypot(x[k] - want_re, y[k] - want_im));
        }
        EXPECT_LE(worst / (n / 2.0), 1e-12) << n;
    }
}

TEST(CxFFT, LongTransformsOfTonesOnBins) {
    for (const int n : {65536, 60000, 59049, 65537}) {
        const int f = 777, g = 30001;
        std::vector<double> re(n), im(n);
        for (int i = 0; i < n; ++i) {
            const long double t = 2 * std::numbers::pi_v<long double> * i / n;
            // e^(j2pi f i/n) + 0.25 e^(-j2pi g i/n)
            re[i] = static_cast<double>(std::cos(t * f) + 0.25L * std::cos(t * g));
            im[i] = static_cast<double>(std::sin(t * f) - 0.25L * std::sin(t * g));
        }
        ASSERT_EQ(dsp::CxFFT(re.data(), im.data(), n), 0) << n;
        double worst = 0;
        for (int k = 0; k < n; ++k) {
            const double want = k == f ? n : k == n - g ? n / 4.0 : 0.0;
            worst = std::max(worst, std::hypot(re[k] - want, im[k]));
        }
        EXPECT_LE(worst / n, 1e-12) << n;
    }
}

TEST(ReFFT, AgreesWithCxFFTOnRealInput) {
    for (const int n : {1024, 8192, 1000, 999, 1009, 16384, 30030}) {
        std::vector<double> x = random_signal(n, n), y(n);
        std::vector<double> re = x, im(n, 0.0);
        ASSERT_EQ(dsp::ReFFT(x.data(), y.data(), n), 0);
        ASSERT_EQ(dsp::CxFFT(re.data(), im.data(), n), 0);
        for (int k = 0; k < n; ++k) {
            ASSERT_NEAR(x[k], re[k], 1e-11) << n << " bin " << k;
            ASSERT_NEAR(y[k], im[k], 1e-11) << n << " bin " << k;
        }
    }
}

// Every power of two, through each bit reversal tiling and both the direct and the packed
// radix-4 join, against the mixed-radix complex transform of the same data; also the exact
// mirror symmetry the joins write.
TEST(ReFFT, EveryPowerOfTwoAgreesWithCxFFT) {
    for (int bits = 1; bits <= 20; ++bits) {
        const int n = 1 << bits;
        std::vector<double> x = random_signal(n, 900 + bits, 0.1), y(n, 5.0);
        std::vector<double> re = x, im(n, 0.0);
        ASSERT_EQ(dsp::ReFFT(x.data(), y.data(), n), 0);
        ASSERT_EQ(dsp::CxFFT(re.data(), im.data(), n), 0);
        double largest = 0, worst = 0;
        for (int k = 0; k < n; ++k) {
            largest = std::max(largest, std::hypot(re[k], im[k]));
            worst = std::max(worst, std::hypot(x[k] - re[k], y[k] - im[k]));
            ASSERT_EQ(x[k], x[(n - k) % n]) << n << " bin " << k;
            ASSERT_EQ(y[k], -y[(n - k) % n]) << n << " bin " << k;
        }
        EXPECT_LE(worst / largest, 1e-14) << n;
    }
}

// Arrays are only guaranteed the alignment of a double; vector code must not assume more.
TEST(ReFFT, ArraysOffByOneDoubleGiveTheSameResult) {
    for (const int n : {8, 16, 1024, 65536, 1000, 60000, 999, 1009}) {
        const std::vector<double> in = random_signal(n, 3);
        std::vector<double> x = in, y(n);
        ASSERT_EQ(dsp::ReFFT(x.data(), y.data(), n), 0);
        std::vector<double> xs(n + 1), ys(n + 1);
        std::copy(in.begin(), in.end(), xs.begin() + 1);
        ASSERT_EQ(dsp::ReFFT(xs.data() + 1, ys.data() + 1, n), 0);
        EXPECT_TRUE(std::equal(x.begin(), x.end(), xs.begin() + 1)) << n;
        EXPECT_TRUE(std::equal(y.begin(), y.end(), ys.begin() + 1)) << n;
    }
}

TEST(ReFFT, RepeatedTransformsGiveIdenticalResults) {
    for (const int n : {4096, 1000, 1009}) {
        const std::vector<double> in = random_signal(n, 7);
        std::vector<double> x1 = in, y1(n), x2 = in, y2(n);
        ASSERT_EQ(dsp::ReFFT(x1.data(), y1.data(), n), 0);
        ASSERT_EQ(dsp::ReFFT(x2.data(), y2.data(), n), 0);
        EXPECT_EQ(x1, x2) << n;
        EXPECT_EQ(y1, y2) << n;
    }
}

// Transforms of several lengths at once share the table and buffer caches.
TEST(ReFFT, ConcurrentTransformsAgreeWithSequentialOnes) {
    const int lengths[] = {1024, 1000, 999, 1009, 4096, 3000, 2018, 997};
    std::vector<std::vector<double>> want_re, want_im;
    for (const int n : lengths) {
        std::vector<double> x = random_signal(n, n), y(n);
        ASSERT_EQ(dsp::ReFFT(x.data(), y.data(), n), 0);
        want_re.push_back(x);
        want_im.push_back(y);
    }
    std::vector<int> failures(8, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 30; ++round) {
                const int which = (t + round) % 8;
                const int n = lengths[which];
                std::vector<double> x = random_signal(n, n), y(n);
                if (dsp::ReFFT(x.data(), y.data(), n) != 0 || x != want_re[which] ||
                    y != want_im[which])
                    ++failures[t];
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < 8; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}

TEST(CxMultiply, MultipliesElementwise) {
    double re1[3] = {1, 0, 2}, im1[3] = {2, 1, -1};
    const double re2[3] = {3, 0, 0.5}, im2[3] = {-1, 1, 4};
    ASSERT_EQ(dsp::CxMultiply(re1, im1, re2, im2, 3), 0);
    EXPECT_DOUBLE_EQ(re1[0], 5);  // (1+2j)(3-j) = 5+5j
    EXPECT_DOUBLE_EQ(im1[0], 5);
    EXPECT_DOUBLE_EQ(re1[1], -1);  // j * j
    EXPECT_DOUBLE_EQ(im1[1], 0);
    EXPECT_DOUBLE_EQ(re1[2], 5);  // (2-j)(0.5+4j) = 1+8j-0.5j+4 = 5+7.5j
    EXPECT_DOUBLE_EQ(im1[2], 7.5);
    EXPECT_EQ(dsp::CxMultiply(re1, im1, re2, im2, 0), dsp::kInvalidCount);
}

}  // namespace

// The fused path must give exactly the figures of converting, windowing and transforming, over
// every route: tiny, work-buffer and long power-of-two lengths (two and four lanes), and the
// mixed-radix and chirp-z fallbacks, odd and even; with and without a window.
TEST(WindowedHalfComplexReFFT, MatchesWindowingThenReFFTBitForBit) {
    for (int n : {1, 2, 4, 8, 16, 64, 4096, 16384, 65536, 1000, 999, 1009}) {
        std::mt19937 gen(n);
        std::uniform_int_distribution<int32_t> code(-8388608, 8388607);
        std::vector<int32_t> samples(n);
        for (int32_t& s : samples) s = code(gen);
        const std::vector<double> window = random_signal(n, 7, 1.0);
        for (const double* w : {window.data(), static_cast<const double*>(nullptr)}) {
            std::vector<double> x(n), y(n), want_x(n), want_y(n);
            for (int i = 0; i < n; ++i) want_x[i] = w ? samples[i] * w[i] : samples[i];
            ASSERT_EQ(dsp::ReFFT(want_x.data(), want_y.data(), n), 0);
            double* h = nullptr;
            ASSERT_EQ(dsp::WindowedHalfComplexReFFT(samples.data(), w, x.data(), y.data(), n, &h),
                      0);
            ASSERT_TRUE(h == x.data() || h == y.data()) << n;
            for (int k = 0; k <= n / 2; ++k) {
                ASSERT_EQ(h[k], want_x[k]) << "n " << n << " bin " << k;
                if (k > 0 && k < n - k) {
                    ASSERT_EQ(h[n - k], want_y[k]) << "n " << n << " bin " << k;
                }
            }
        }
    }
    int32_t s = 1;
    double x = 0.0, y = 0.0, *h = nullptr;
    EXPECT_EQ(dsp::WindowedHalfComplexReFFT(&s, nullptr, &x, &y, 0, &h), dsp::kInvalidCount);
}
