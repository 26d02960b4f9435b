// Splits a transform length into the radices of the mixed-radix passes.
#pragma once

namespace dsp::detail {

struct Factors {
    static constexpr int kMax = 32;  // 3^20 > 2^31: no int has more factors
    int count = 0;
    int f[kMax] = {};  // in the order the passes use them

    int largest() const;
};

// Radices 10, 8, 5, 4, 3, 2 first, each divided out as often as it goes; a trailing 2 after an
// 8 turns the pair into 4 and 4; what remains is split by trial division. The list comes back
// in reverse order of discovery. n >= 2.
Factors factorize(int n);

}  // namespace dsp::detail
