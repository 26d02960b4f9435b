// Averaged spectra transform one length many times over: after the first call, which builds the
// tables, a transform must take nothing from the heap. Every allocation of this test program
// passes through the counting operator new below.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "dsp/dsp.h"

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size != 0 ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

// Powers of two (with and without the work buffer), mixed radix even and odd.
TEST(ReFFT, RepeatedTransformsOfOneLengthAllocateNothing) {
    for (const int n : {4096, 8192, 16384, 10000, 12288, 10001}) {
        std::vector<std::int32_t> samples(n);
        std::vector<double> window(n), x(n), y(n);
        for (int i = 0; i < n; ++i) {
            samples[i] = (i * 7919) % 2001 - 1000;
            window[i] = 1.0 - (2.0 * i / n - 1.0) * (2.0 * i / n - 1.0);
        }
        double* spectrum = nullptr;
        ASSERT_EQ(dsp::WindowedHalfComplexReFFT(samples.data(), window.data(), x.data(), y.data(),
                                                n, &spectrum),
                  0);
        // Both paths once first: each may grow its per-thread buffer on its first call.
        for (int i = 0; i < n; ++i) x[i] = samples[i];
        ASSERT_EQ(dsp::ReFFT(x.data(), y.data(), n), 0);
        const long before = g_allocations;
        for (int round = 0; round < 3; ++round) {
            ASSERT_EQ(dsp::WindowedHalfComplexReFFT(samples.data(), window.data(), x.data(),
                                                    y.data(), n, &spectrum),
                      0);
            for (int i = 0; i < n; ++i) x[i] = samples[i];
            ASSERT_EQ(dsp::ReFFT(x.data(), y.data(), n), 0);
        }
        EXPECT_EQ(g_allocations - before, 0) << n;
    }
}

}  // namespace
