// Element-wise array operations and the integer logarithm.
#include <bit>

#include "dsp/dsp.h"

namespace dsp {

int Mul1D(const double x[], const double y[], int n, double z[]) {
    if (n <= 0) return kInvalidCount;
    for (int i = 0; i < n; ++i) z[i] = x[i] * y[i];
    return 0;
}

int Copy1D(const double x[], int n, double y[]) {
    if (n <= 0) return kInvalidCount;
    for (int i = 0; i < n; ++i) y[i] = x[i];
    return 0;
}

int CxMultiply(double re1[], double im1[], const double re2[], const double im2[], int n) {
    if (n <= 0) return kInvalidCount;
    for (int i = 0; i < n; ++i) {
        const double a = re1[i];
        const double b = im1[i];
        re1[i] = a * re2[i] - b * im2[i];
        im1[i] = a * im2[i] + b * re2[i];
    }
    return 0;
}

int Log2(int n) {
    if (n <= 0) return -1;
    return std::bit_width(static_cast<unsigned>(n)) - 1;
}

}  // namespace dsp
