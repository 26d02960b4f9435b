// Power-of-two real transform. The even and the odd samples are transformed side by side, one
// in each lane of a Lanes vector, by the real-input split-radix recursion (every operation does
// the work of two), and one radix-2 step joins the two halves at the end:
// bit reversal -> split radix on the pairs -> join -> spread into real and imaginary parts.
#include "dsp/real_fft.h"

#include <bit>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "dsp/butterflies.h"
#include "dsp/dsp.h"
#include "dsp/fft_buffer.h"
#include "dsp/plan_cache.h"
#include "dsp/unit_root.h"

namespace dsp::detail {

namespace {

// Bit-reversal moves tiles of 2^kTileBits x 2^kTileBits pairs, so that its reads and writes
// touch whole cache lines even for the longest transforms.
constexpr int kTileBits = 2;
constexpr int kTile = 1 << kTileBits;

std::uint32_t reverse_bits(std::uint32_t v, int bits) {
    std::uint32_t r = 0;
    for (int b = 0; b < bits; ++b) r |= ((v >> b) & 1u) << (bits - 1 - b);
    return r;
}

// Tables for n = 2^k samples, m = n/2 pairs:
// - split-radix levels N = 8, 16, ..., m: cos and sin of 2pi k/N and 2pi 3k/N for k < N/8,
//   level N starting at N/2 - 4;
// - the join of the two halves: cos and sin of 2pi k/n for k <= n/4;
// - bit reversal of the middle bits of a pair index.
class RealPow2Plan {
  public:
    static std::shared_ptr<const RealPow2Plan> build(int n) {
        try {
            auto plan = std::make_shared<RealPow2Plan>();
            plan->fill(n);
            return plan;
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    std::size_t bytes() const {
        return (tw_.capacity() + join_.capacity()) * sizeof(double) +
               rev_mid_.capacity() * sizeof(std::uint32_t);
    }

    int pairs() const { return m_; }
    int pair_bits() const { return pair_bits_; }
    const double* twiddles(int len) const { return tw_.data() + (len / 2 - 4); }
    const double* join_cos() const { return join_.data(); }
    const double* join_sin() const { return join_.data() + (m_ / 2 + 1); }
    const std::uint32_t* rev_mid() const { return rev_mid_.data(); }

  private:
    void fill(int n) {
        m_ = n / 2;
        pair_bits_ = std::bit_width(static_cast<unsigned>(m_)) - 1;
        if (m_ >= 8) tw_.resize(static_cast<std::size_t>(m_) - 4);
        for (int len = 8; len <= m_; len *= 2) {
            double* t = tw_.data() + (len / 2 - 4);
            const int e = len / 8;
            for (int k = 0; k < e; ++k) {
                unit_root(k, len, &t[k], &t[e + k]);
                unit_root(3 * static_cast<std::uint64_t>(k), len, &t[2 * e + k], &t[3 * e + k]);
            }
        }
        const int quarter = m_ / 2;
        join_.resize(2 * static_cast<std::size_t>(quarter + 1));
        for (int k = 0; k <= quarter; ++k) unit_root(k, n, &join_[k], &join_[quarter + 1 + k]);
        const int mid_bits = pair_bits_ - 2 * kTileBits;
        if (mid_bits >= 0) {
            rev_mid_.resize(std::size_t{1} << mid_bits);
            for (std::uint32_t v = 0; v < rev_mid_.size(); ++v)
                rev_mid_[v] = reverse_bits(v, mid_bits);
        }
    }

    int m_ = 0;
    int pair_bits_ = 0;
    std::vector<double> tw_;
    std::vector<double> join_;
    std::vector<std::uint32_t> rev_mid_;
};

std::shared_ptr<const RealPow2Plan> pow2_plan(int n) {
    static PlanCache<RealPow2Plan> cache(8, std::size_t{128} << 20);
    return cache.get(n);
}

// dst[bitrev(p)] = src[p] for the m pairs.
DSP_MULTIVERSION void bit_reverse_pairs(const RealPow2Plan& plan, const Lanes* src, Lanes* dst) {
    const int bits = plan.pair_bits();
    const int mid_bits = bits - 2 * kTileBits;
    if (mid_bits < 0) {
        for (int p = 0; p < plan.pairs(); ++p) dst[reverse_bits(p, bits)] = src[p];
        return;
    }
    static constexpr std::uint8_t kRevTile[kTile] = {0, 2, 1, 3};
    const int high_shift = mid_bits + kTileBits;
    const std::uint32_t* rev_mid = plan.rev_mid();
    const int mids = 1 << mid_bits;
    for (int v = 0; v < mids; ++v) {
        const std::size_t src_mid = static_cast<std::size_t>(v) << kTileBits;
        const std::size_t dst_mid = static_cast<std::size_t>(rev_mid[v]) << kTileBits;
        Lanes tile[kTile][kTile];
        for (int hi = 0; hi < kTile; ++hi) {
            const Lanes* row = src + ((static_cast<std::size_t>(hi) << high_shift) | src_mid);
            for (int lo = 0; lo < kTile; ++lo) tile[lo][kRevTile[hi]] = row[lo];
        }
        for (int lo = 0; lo < kTile; ++lo) {
            Lanes* row = dst + ((static_cast<std::size_t>(kRevTile[lo]) << high_shift) | dst_mid);
            for (int j = 0; j < kTile; ++j) row[j] = tile[lo][j];
        }
    }
}

// Joins, in place, the packed transforms of the even samples (a[0, N/2)), the samples 4m+1
// (a[N/2, 3N/4)) and 4m+3 (a[3N/4, N)) into the packed transform of length N: Re X[k] at k
// for k <= N/2, Im X[k] at N-k for 0 < k < N/2. N >= 8.
DSP_INLINE void combine(Lanes* a, int len, const double* tw) {
    const int e = len / 8;
    const int q = len / 4;
    const int h = len / 2;
    {
        const Lanes e0 = a[0], u = a[h], z = a[h + q];
        const Lanes t1 = u + z;
        a[0] = e0 + t1;
        a[h] = e0 - t1;
        a[h + q] = z - u;
    }
    {
        const Lanes er = a[e], ei = a[3 * e], u = a[h + e], z = a[h + q + e];
        const Lanes d = kSqrtHalf * (u - z), s = kSqrtHalf * (u + z);
        a[e] = er + d;
        a[7 * e] = ei - s;
        a[3 * e] = er - d;
        a[5 * e] = -ei - s;
    }
    const double* c1 = tw;
    const double* s1 = tw + e;
    const double* c3 = tw + 2 * e;
    const double* s3 = tw + 3 * e;
    for (int k = 1; k < e; ++k) {
        const Lanes er = a[k], ei = a[h - k];
        // E[N/4+k] is the conjugate of E[N/4-k].
        const Lanes fr = a[q - k], fi = -a[q + k];
        const Lanes ur = a[h + k], ui = a[h + q - k];
        const Lanes zr = a[h + q + k], zi = a[len - k];
        // U W^k and Z W^3k with W = e^(-j2pi/N).
        const Lanes uwr = ur * c1[k] + ui * s1[k], uwi = ui * c1[k] - ur * s1[k];
        const Lanes zwr = zr * c3[k] + zi * s3[k], zwi = zi * c3[k] - zr * s3[k];
        const Lanes t1r = uwr + zwr, t1i = uwi + zwi;
        const Lanes t2r = uwr - zwr, t2i = uwi - zwi;
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

// Sub-transforms up to this length are unrolled at compile time; the recursion overhead would
// otherwise dominate them.
constexpr int kUnrolledMax = 64;

template <int N>
DSP_INLINE void split_radix_unrolled(const RealPow2Plan& plan, Lanes* a) {
    if constexpr (N == 2) {
        const Lanes s = a[0] + a[1];
        a[1] = a[0] - a[1];
        a[0] = s;
    } else if constexpr (N == 4) {
        const Lanes e0 = a[0] + a[1], e1 = a[0] - a[1];
        const Lanes t = a[2] + a[3], d = a[3] - a[2];
        a[0] = e0 + t;
        a[1] = e1;
        a[2] = e0 - t;
        a[3] = d;
    } else {
        split_radix_unrolled<N / 2>(plan, a);
        split_radix_unrolled<N / 4>(plan, a + N / 2);
        split_radix_unrolled<N / 4>(plan, a + 3 * N / 4);
        combine(a, N, plan.twiddles(N));
    }
}

// Split-radix recursion on bit-reversed data, depth first, so that every sub-transform that
// fits in cache is finished while it is there.
DSP_MULTIVERSION void split_radix(const RealPow2Plan& plan, Lanes* a, int len) {
    switch (len) {
        case 2:
            split_radix_unrolled<2>(plan, a);
            return;
        case 4:
            split_radix_unrolled<4>(plan, a);
            return;
        case 8:
            split_radix_unrolled<8>(plan, a);
            return;
        case 16:
            split_radix_unrolled<16>(plan, a);
            return;
        case 32:
            split_radix_unrolled<32>(plan, a);
            return;
        case kUnrolledMax:
            split_radix_unrolled<kUnrolledMax>(plan, a);
            return;
        default:
            break;
    }
    split_radix(plan, a, len / 2);
    split_radix(plan, a + len / 2, len / 4);
    split_radix(plan, a + 3 * len / 4, len / 4);
    combine(a, len, plan.twiddles(len));
}

// The last step, X[k] = E[k] + W^k O[k] and X[n/2-k] = conj(E[k] - W^k O[k]) for the packed
// transforms E and O of the even and odd samples held in the lanes of `a`; writes the packed
// transform of all n samples.
DSP_MULTIVERSION void join_halves(const RealPow2Plan& plan, const Lanes* a, double* packed) {
    const int m = plan.pairs();
    const int n = 2 * m;
    const int q = m / 2;
    const double* c = plan.join_cos();
    const double* s = plan.join_sin();
    packed[0] = a[0][0] + a[0][1];
    packed[m] = a[0][0] - a[0][1];
    packed[q] = a[q][0];
    packed[n - q] = -a[q][1];
    // Two bins per step: lane j of every vector below belongs to bin k + j.
    int k = 1;
    for (; k + 1 < q; k += 2) {
        const Lanes lo = a[k], hi = a[k + 1];              // (Re E, Re O) of bins k, k+1
        const Lanes lo_m = a[m - k], hi_m = a[m - k - 1];  // (Im E, Im O)
        const Lanes er = {lo[0], hi[0]}, orr = {lo[1], hi[1]};
        const Lanes ei = {lo_m[0], hi_m[0]}, oi = {lo_m[1], hi_m[1]};
        const Lanes ck = load_lanes(c + k), sk = load_lanes(s + k);
        const Lanes tr = orr * ck + oi * sk;
        const Lanes ti = oi * ck - orr * sk;
        store_lanes(packed + k, er + tr);
        store_lanes(packed + n - k - 1, swap_lanes(ei + ti));
        store_lanes(packed + m - k - 1, swap_lanes(er - tr));
        store_lanes(packed + m + k, ti - ei);
    }
    for (; k < q; ++k) {
        const Lanes re = a[k], im = a[m - k];
        const double tr = re[1] * c[k] + im[1] * s[k];
        const double ti = im[1] * c[k] - re[1] * s[k];
        packed[k] = re[0] + tr;
        packed[n - k] = im[0] + ti;
        packed[m - k] = re[0] - tr;
        packed[m + k] = ti - im[0];
    }
}

// RealFFT: the packed transform of x (Re X[k] at k for k <= n/2, Im X[k] at n-k otherwise),
// in place, with y as work space. n >= 4.
void RealFFT(const RealPow2Plan& plan, double* x, double* y) {
    Lanes* lanes = reinterpret_cast<Lanes*>(y);
    bit_reverse_pairs(plan, reinterpret_cast<const Lanes*>(x), lanes);
    split_radix(plan, lanes, plan.pairs());
    join_halves(plan, lanes, x);
}

// join_halves and Real_FFTCx in one step, for when the lanes are in a separate work array:
// every bin goes straight to its final places in x and y.
DSP_MULTIVERSION void join_halves_spread(const RealPow2Plan& plan, const Lanes* a, double* x,
                                         double* y) {
    const int m = plan.pairs();
    const int n = 2 * m;
    const int q = m / 2;
    const double* c = plan.join_cos();
    const double* s = plan.join_sin();
    x[0] = a[0][0] + a[0][1];
    x[m] = a[0][0] - a[0][1];
    y[0] = y[m] = 0.0;
    x[q] = x[n - q] = a[q][0];
    y[q] = -a[q][1];
    y[n - q] = a[q][1];
    // Two bins per step; lane j of every vector below belongs to bin k + j (or m - k - j).
    int k = 1;
    for (; k + 1 < q; k += 2) {
        const Lanes lo = a[k], hi = a[k + 1];
        const Lanes lo_m = a[m - k], hi_m = a[m - k - 1];
        const Lanes er = {lo[0], hi[0]}, orr = {lo[1], hi[1]};
        const Lanes ei = {lo_m[0], hi_m[0]}, oi = {lo_m[1], hi_m[1]};
        const Lanes ck = load_lanes(c + k), sk = load_lanes(s + k);
        const Lanes tr = orr * ck + oi * sk;
        const Lanes ti = oi * ck - orr * sk;
        const Lanes low_re = er + tr, low_im = ei + ti;    // bins k, k+1
        const Lanes high_re = er - tr, high_im = ti - ei;  // bins m-k, m-k-1
        store_lanes(x + k, low_re);
        store_lanes(x + n - k - 1, swap_lanes(low_re));
        store_lanes(y + k, low_im);
        store_lanes(y + n - k - 1, -swap_lanes(low_im));
        store_lanes(x + m - k - 1, swap_lanes(high_re));
        store_lanes(x + m + k, high_re);
        store_lanes(y + m - k - 1, swap_lanes(high_im));
        store_lanes(y + m + k, -high_im);
    }
    for (; k < q; ++k) {
        const Lanes re = a[k], im = a[m - k];
        const double tr = re[1] * c[k] + im[1] * s[k];
        const double ti = im[1] * c[k] - re[1] * s[k];
        x[k] = x[n - k] = re[0] + tr;
        y[k] = im[0] + ti;
        y[n - k] = -(im[0] + ti);
        x[m - k] = x[m + k] = re[0] - tr;
        y[m - k] = ti - im[0];
        y[m + k] = im[0] - ti;
    }
}

// Real_FFTCx: spreads the packed transform held in x into real parts x and imaginary parts y.
DSP_MULTIVERSION void Real_FFTCx(double* x, double* y, int n) {
    const int h = n / 2;
    y[0] = 0.0;
    y[h] = 0.0;
    // Two bins per step: k and k+1, whose imaginary parts sit at n-k-1 and n-k (reversed).
    int k = 1;
    for (; k + 1 < h; k += 2) {
        const Lanes r = load_lanes(x + k), i_rev = load_lanes(x + n - k - 1);
        store_lanes(x + n - k - 1, swap_lanes(r));
        store_lanes(y + k, swap_lanes(i_rev));
        store_lanes(y + n - k - 1, -i_rev);
    }
    for (; k < h; ++k) {
        const double r = x[k], i = x[n - k];
        x[n - k] = r;
        y[k] = i;
        y[n - k] = -i;
    }
}

}  // namespace

int real_fft_pow2(double* x, double* y, int n) {
    if (n == 2) {
        const double s = x[0] + x[1];
        x[1] = x[0] - x[1];
        x[0] = s;
        y[0] = y[1] = 0.0;
        return 0;
    }
    const auto plan = pow2_plan(n);
    if (!plan) return kOutOfMemory;
    if (n <= static_cast<int>(kFFTBufferDoubles)) {
        // Short transforms keep their lanes in a cached work buffer, so that the last step can
        // write the bins straight to x and y.
        const FFTBufferLease work;
        if (work.get() != nullptr) {
            Lanes* lanes = reinterpret_cast<Lanes*>(work.get());
            bit_reverse_pairs(*plan, reinterpret_cast<const Lanes*>(x), lanes);
            split_radix(*plan, lanes, plan->pairs());
            join_halves_spread(*plan, lanes, x, y);
            return 0;
        }
    }
    RealFFT(*plan, x, y);
    Real_FFTCx(x, y, n);
    return 0;
}

}  // namespace dsp::detail
