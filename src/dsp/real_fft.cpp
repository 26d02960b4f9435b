#include "dsp/real_fft.h"

#include <bit>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "dsp/butterflies.h"
#include "dsp/dsp.h"
#include "dsp/plan_cache.h"
#include "dsp/unit_root.h"

namespace dsp::detail {

namespace {

// Bit-reversal works on tiles of 2^kTileBits x 2^kTileBits elements, so both the reads and the
// writes touch whole cache lines even for the longest transforms.
constexpr int kTileBits = 3;
constexpr int kTile = 1 << kTileBits;

std::uint32_t reverse_bits(std::uint32_t v, int bits) {
    std::uint32_t r = 0;
    for (int b = 0; b < bits; ++b) r |= ((v >> b) & 1u) << (bits - 1 - b);
    return r;
}

// Twiddles of every combine level N = 8, 16, ..., n: cos and sin of 2pi k/N and 2pi 3k/N for
// k < N/8, level N starting at N/2 - 4.
class RealPow2Plan {
public:
    static std::shared_ptr<const RealPow2Plan> build(int n) {
        try {
            auto plan = std::make_shared<RealPow2Plan>();
            plan->n_ = n;
            plan->log2n_ = std::bit_width(static_cast<unsigned>(n)) - 1;
            if (n >= 8) plan->tw_.resize(static_cast<std::size_t>(n) - 4);
            for (int len = 8; len <= n; len *= 2) {
                double* t = plan->tw_.data() + (len / 2 - 4);
                const int e = len / 8;
                for (int k = 0; k < e; ++k) {
                    unit_root(k, len, &t[k], &t[e + k]);
                    unit_root(3 * static_cast<std::uint64_t>(k), len, &t[2 * e + k], &t[3 * e + k]);
                }
            }
            const int mid_bits = plan->log2n_ - 2 * kTileBits;
            if (mid_bits >= 0) {
                plan->rev_mid_.resize(std::size_t{1} << mid_bits);
                for (std::uint32_t m = 0; m < plan->rev_mid_.size(); ++m)
                    plan->rev_mid_[m] = reverse_bits(m, mid_bits);
            }
            return plan;
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    std::size_t bytes() const {
        return tw_.capacity() * sizeof(double) + rev_mid_.capacity() * sizeof(std::uint32_t);
    }

    int n() const { return n_; }
    int log2n() const { return log2n_; }
    const double* twiddles(int len) const { return tw_.data() + (len / 2 - 4); }
    const std::uint32_t* rev_mid() const { return rev_mid_.data(); }

private:
    int n_ = 0;
    int log2n_ = 0;
    std::vector<double> tw_;
    std::vector<std::uint32_t> rev_mid_;
};

std::shared_ptr<const RealPow2Plan> pow2_plan(int n) {
    static PlanCache<RealPow2Plan> cache(8, std::size_t{128} << 20);
    return cache.get(n);
}

// dst[bitrev(i)] = src[i].
void bit_reverse_copy(const RealPow2Plan& plan, const double* src, double* dst) {
    const int bits = plan.log2n();
    const int mid_bits = bits - 2 * kTileBits;
    if (mid_bits < 0) {
        for (int i = 0; i < plan.n(); ++i) dst[reverse_bits(i, bits)] = src[i];
        return;
    }
    static constexpr std::uint8_t kRevTile[kTile] = {0, 4, 2, 6, 1, 5, 3, 7};
    const int high_shift = mid_bits + kTileBits;
    const std::uint32_t* rev_mid = plan.rev_mid();
    const int mids = 1 << mid_bits;
    for (int m = 0; m < mids; ++m) {
        const std::size_t src_mid = static_cast<std::size_t>(m) << kTileBits;
        const std::size_t dst_mid = static_cast<std::size_t>(rev_mid[m]) << kTileBits;
        double tile[kTile][kTile];
        for (int hi = 0; hi < kTile; ++hi) {
            const double* row = src + ((static_cast<std::size_t>(hi) << high_shift) | src_mid);
            for (int lo = 0; lo < kTile; ++lo) tile[lo][kRevTile[hi]] = row[lo];
        }
        for (int lo = 0; lo < kTile; ++lo) {
            double* row = dst + ((static_cast<std::size_t>(kRevTile[lo]) << high_shift) | dst_mid);
            for (int j = 0; j < kTile; ++j) row[j] = tile[lo][j];
        }
    }
}

// Joins, in place, the packed transforms of the even samples (a[0, N/2)), the samples 4m+1
// (a[N/2, 3N/4)) and 4m+3 (a[3N/4, N)) into the packed transform of length N: Re X[k] at k
// for k <= N/2, Im X[k] at N-k for 0 < k < N/2. N >= 8.
DSP_INLINE void combine(double* a, int len, const double* tw) {
    const int e = len / 8;
    const int q = len / 4;
    const int h = len / 2;
    {
        const double e0 = a[0], u = a[h], z = a[h + q];
        const double t1 = u + z;
        a[0] = e0 + t1;
        a[h] = e0 - t1;
        a[h + q] = z - u;
    }
    {
        const double er = a[e], ei = a[3 * e], u = a[h + e], z = a[h + q + e];
        const double d = kSqrtHalf * (u - z), s = kSqrtHalf * (u + z);
        a[e] = er + d;
        a[7 * e] = ei - s;
        a[3 * e] = er - d;
        a[5 * e] = -ei - s;
    }
    const double* c1 = tw;
    const double* s1 = tw + e;
    const double* c3 = tw + 2 * e;
    const double* s3 = tw + 3 * e;
    DSP_INDEPENDENT_ITERATIONS
    for (int k = 1; k < e; ++k) {
        const double er = a[k], ei = a[h - k];
        // E[N/4+k] is the conjugate of E[N/4-k].
        const double fr = a[q - k], fi = -a[q + k];
        const double ur = a[h + k], ui = a[h + q - k];
        const double zr = a[h + q + k], zi = a[len - k];
        // U W^k and Z W^3k with W = e^(-j2pi/N).
        const double uwr = ur * c1[k] + ui * s1[k], uwi = ui * c1[k] - ur * s1[k];
        const double zwr = zr * c3[k] + zi * s3[k], zwi = zi * c3[k] - zr * s3[k];
        const double t1r = uwr + zwr, t1i = uwi + zwi;
        const double t2r = uwr - zwr, t2i = uwi - zwi;
        a[k] = er + t1r;
        a[len - k] = ei + t1i;
        a[h - k] = er - t1r;
        a[h + k] = t1i - ei;
        a[q + k] = fr + t2i;
        a[h + q - k] = fi - t2r;
        a[q - k] = fr - t2i;
        a[h + q + k] = -fi - t2r;
    }
}

// The split-radix recursion on bit-reversed data: depth first, so every sub-transform that
// fits in cache is finished while it is there.
void RealFFT(const RealPow2Plan& plan, double* a, int len) {
    if (len == 2) {
        const double s = a[0] + a[1];
        a[1] = a[0] - a[1];
        a[0] = s;
        return;
    }
    if (len == 4) {
        const double e0 = a[0] + a[1], e1 = a[0] - a[1];
        const double t = a[2] + a[3], d = a[3] - a[2];
        a[0] = e0 + t;
        a[1] = e1;
        a[2] = e0 - t;
        a[3] = d;
        return;
    }
    RealFFT(plan, a, len / 2);
    RealFFT(plan, a + len / 2, len / 4);
    RealFFT(plan, a + 3 * len / 4, len / 4);
    combine(a, len, plan.twiddles(len));
}

// Real_FFTCx: spreads the packed result in `packed` into real parts x and imaginary parts y
// (packed may be y itself).
void Real_FFTCx(double* packed, double* x, double* y, int n) {
    const int h = n / 2;
    x[0] = packed[0];
    x[h] = packed[h];
    y[0] = 0.0;
    y[h] = 0.0;
    for (int k = 1; k < h; ++k) {
        const double r = packed[k], i = packed[n - k];
        x[k] = r;
        x[n - k] = r;
        y[k] = i;
        y[n - k] = -i;
    }
}

}  // namespace

int real_fft_pow2(double* x, double* y, int n) {
    const auto plan = pow2_plan(n);
    if (!plan) return kOutOfMemory;
    // y serves as the work array, so no temporary is needed.
    bit_reverse_copy(*plan, x, y);
    RealFFT(*plan, y, n);
    Real_FFTCx(y, x, y, n);
    return 0;
}

}  // namespace dsp::detail
