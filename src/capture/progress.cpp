#include "capture/progress.h"

#include <algorithm>
#include <cstdio>

namespace capture {

namespace {

// A capture outside the averaging loop is a run of one block.
int blocks_of(const CaptureProgress& p) {
    return std::max(1, p.blocks);
}

}  // namespace

double fraction_done(const CaptureProgress& p) {
    if (p.total <= 0) return 0.0;
    const double block = std::clamp(p.block, 1, blocks_of(p)) - 1;
    const double records = std::clamp<long long>(p.records, 0, p.total);
    return std::clamp((block + records / double(p.total)) / blocks_of(p), 0.0, 1.0);
}

std::string describe(const CaptureProgress& p, double elapsed) {
    char text[160];
    int n = std::snprintf(text, sizeof text, "block %d/%d, %lld/%lld records", std::max(1, p.block),
                          blocks_of(p), p.records, p.total);
    const double done = fraction_done(p);
    if (done > 0 && n > 0 && n < static_cast<int>(sizeof text))
        std::snprintf(text + n, sizeof text - n, ", %.0f s left",
                      std::max(0.0, elapsed) * (1.0 - done) / done);
    return text;
}

}  // namespace capture
