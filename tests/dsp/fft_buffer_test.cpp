#include "dsp/fft_buffer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

namespace {

TEST(FFTBuffer, ReleasedBufferIsReused) {
    double* a = dsp::FFTBufferAcquire();
    ASSERT_NE(a, nullptr);
    a[0] = 1.0;
    a[dsp::kFFTBufferDoubles - 1] = 2.0;  // the whole size is usable
    dsp::FFTBufferRelease(a);
    double* b = dsp::FFTBufferAcquire();
    EXPECT_EQ(a, b);
    dsp::FFTBufferRelease(b);
    dsp::FFTBufferRelease(nullptr);  // harmless
}

TEST(FFTBuffer, MoreBuffersThanSlotsAreAllDistinct) {
    std::vector<double*> held;
    for (int i = 0; i < dsp::kFFTBufferSlots + 3; ++i) {
        held.push_back(dsp::FFTBufferAcquire());
        ASSERT_NE(held.back(), nullptr);
    }
    EXPECT_EQ(std::set<double*>(held.begin(), held.end()).size(), held.size());
    for (double* b : held) dsp::FFTBufferRelease(b);
    // Only the slots keep buffers: the first four given back are handed out again.
    std::set<double*> kept(held.begin(), held.begin() + dsp::kFFTBufferSlots);
    std::vector<double*> again;
    for (int i = 0; i < dsp::kFFTBufferSlots; ++i) again.push_back(dsp::FFTBufferAcquire());
    for (double* b : again) EXPECT_EQ(kept.count(b), 1u);
    for (double* b : again) dsp::FFTBufferRelease(b);
}

// Threads fill their buffer with their own pattern and check it before giving it back: two
// holders of one buffer would overwrite each other's pattern.
TEST(FFTBuffer, ThreadsNeverShareABuffer) {
    constexpr int kThreads = 8;
    constexpr int kRounds = 2000;
    std::atomic<int> clashes{0};
    std::atomic<int> missing{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                double* b = dsp::FFTBufferAcquire();
                if (b == nullptr) {
                    ++missing;
                    continue;
                }
                const double mark = t * 1e6 + round;
                for (std::size_t i = 0; i < dsp::kFFTBufferDoubles; i += 97) b[i] = mark;
                std::this_thread::yield();
                for (std::size_t i = 0; i < dsp::kFFTBufferDoubles; i += 97) {
                    if (b[i] != mark) {
                        ++clashes;
                        break;
                    }
                }
                dsp::FFTBufferRelease(b);
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(clashes.load(), 0);
    EXPECT_EQ(missing.load(), 0);
}

}  // namespace
