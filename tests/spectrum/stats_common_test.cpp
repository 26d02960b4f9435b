// The band scans run four lanes side by side; their merge must keep the single-pass rules:
// the lowest of equal peaks upward, the highest downward, at any lane and any band length.
#include <gtest/gtest.h>

#include <vector>

#include "analysis/spectrum/stats_common.h"

namespace {

using analysis::spectrum::detail::first_peak;
using analysis::spectrum::detail::sum_and_peak_downward;
using analysis::spectrum::detail::sum_and_peak_upward;
using analysis::spectrum::detail::sum_bins;

TEST(BandScan, PeaksAndSumsOverEveryLaneAndTail) {
    struct Case {
        int first, last;
        std::vector<int> peaks;  // bins raised to the same top value
        int upward, downward;
    };
    const Case cases[] = {
        {0, 0, {}, 0, 0},            // one bin
        {3, 9, {5}, 5, 5},           // single peak, a tail of three
        {0, 15, {2, 7}, 2, 7},       // equal peaks in lanes 2 and 3
        {1, 17, {17, 5, 9}, 5, 17},  // one in the tail, two in lane 0
        {4, 12, {}, 4, 12},          // all equal: first upward, last downward
        {10, 40, {38, 11}, 11, 38},  // lanes 1 and 0
    };
    for (const Case& c : cases) {
        std::vector<double> p(64);
        for (int i = 0; i < 64; ++i) p[i] = c.peaks.empty() ? 1.0 : 1.0 + (i % 5);
        for (int i : c.peaks) p[i] = 100.0;
        double want_sum = 0.0;
        for (int i = c.first; i <= c.last; ++i) want_sum += p[i];  // integers: exact in any order
        const auto up = sum_and_peak_upward(p.data(), c.first, c.last);
        const auto down = sum_and_peak_downward(p.data(), c.first, c.last);
        EXPECT_EQ(up.peak, c.upward) << c.first << ".." << c.last;
        EXPECT_EQ(first_peak(p.data(), c.first, c.last), c.upward) << c.first << ".." << c.last;
        EXPECT_EQ(down.peak, c.downward) << c.first << ".." << c.last;
        EXPECT_EQ(up.sum, want_sum);
        EXPECT_EQ(down.sum, want_sum);
        EXPECT_EQ(sum_bins(p.data(), c.first, c.last), want_sum);
    }
    const double one = 1.0;
    EXPECT_EQ(sum_bins(&one, 1, 0), 0.0);  // empty band
}

}  // namespace
