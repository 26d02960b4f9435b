#include "dsp/factorize.h"

#include <algorithm>
#include <cmath>

namespace dsp::detail {

int Factors::largest() const {
    return count == 0 ? 1 : *std::max_element(f, f + count);
}

Factors factorize(int n) {
    Factors out;
    int rest = n;
    int last_radix = 0;
    int eight_at = -1;
    for (const int radix : {10, 8, 5, 4, 3, 2}) {
        while (rest % radix == 0) {
            if (radix == 8) eight_at = out.count;
            out.f[out.count++] = radix;
            last_radix = radix;
            rest /= radix;
        }
    }
    // A radix-2 pass is the slowest per point; 8 * 2 is cheaper as 4 * 4.
    if (last_radix == 2 && eight_at >= 0) {
        out.f[eight_at] = 4;
        out.f[out.count - 1] = 4;
    }
    for (int d = 2; rest > 1 && d < std::sqrt(static_cast<double>(rest)) + 1; ++d) {
        while (rest % d == 0) {
            out.f[out.count++] = d;
            rest /= d;
        }
    }
    if (rest > 1) out.f[out.count++] = rest;
    std::reverse(out.f, out.f + out.count);
    return out;
}

}  // namespace dsp::detail
