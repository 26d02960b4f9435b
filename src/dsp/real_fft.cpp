// Power-of-two real transform. The samples are dealt round-robin into the lanes of a vector
// (two lanes, or four where the processor has AVX): lane r holds the samples i*W + r. The
// real-input split-radix recursion transforms these sequences side by side, every operation
// doing the work of W; then one step joins them: with two lanes a radix-2 step, with four one
// radix-4 pass (quad_join), which reads the lanes once and writes the bins to their places.
// bit reversal -> split radix -> join -> (spread, when the result has to be packed first).
#include "dsp/real_fft.h"

#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "dsp/butterflies.h"
#include "dsp/dsp.h"
#include "dsp/fft_buffer.h"
#include "dsp/plan_cache.h"
#include "dsp/quad_join.h"
#include "dsp/unit_root.h"

namespace dsp::detail {

namespace {

// Shortest length taken by the four-lane path.
constexpr int kMinQuadLength = 16;

// Bit reversal moves tiles of 2^b x 2^b elements, so that its reads and writes touch whole
// cache lines even for the longest transforms: b = 2, or 3 from split-radix lengths of
// 2^kLargeTileMinBits on, where the longer runs save more than the larger tiles cost.
constexpr int kSmallTileBits = 2;
constexpr int kLargeTileBits = 3;
constexpr int kLargeTileMinBits = 11;

constexpr std::uint32_t reverse_bits(std::uint32_t v, int bits) {
    std::uint32_t r = 0;
    for (int b = 0; b < bits; ++b) r |= ((v >> b) & 1u) << (bits - 1 - b);
    return r;
}

// Tables for n = 2^k samples in W lanes, split-radix length s = n/W:
// - split-radix levels N = 8, 16, ..., s: cos and sin of 2pi k/N and 2pi 3k/N for k < N/8,
//   level N starting at N/2 - 4;
// - with four lanes, the twiddles of the radix-4 join (quad_join_twiddles);
// - with two lanes, the join of the halves: cos and sin of 2pi k/n for k <= n/4;
// - bit reversal of the middle bits of an index below s.
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
        return (tw_.capacity() + quad_join_.capacity() + join_.capacity()) * sizeof(double) +
               rev_mid_.capacity() * sizeof(std::uint32_t);
    }

    int n() const { return n_; }
    int lanes() const { return lanes_; }
    int length() const { return len_; }  // of the split-radix transforms
    int length_bits() const { return len_bits_; }
    int tile_bits() const { return tile_bits_; }
    const double* twiddles(int len) const { return tw_.data() + (len / 2 - 4); }
    const double* quad_join() const { return quad_join_.data(); }
    const double* join_cos() const { return join_.data(); }
    const double* join_sin() const { return join_.data() + join_.size() / 2; }
    const std::uint32_t* rev_mid() const { return rev_mid_.data(); }

  private:
    void fill(int n) {
        n_ = n;
        lanes_ = n >= kMinQuadLength && cpu_has_avx() ? 4 : 2;
        len_ = n / lanes_;
        len_bits_ = std::bit_width(static_cast<unsigned>(len_)) - 1;
        if (len_ >= 8) tw_.resize(static_cast<std::size_t>(len_) - 4);
        for (int len = 8; len <= len_; len *= 2) {
            double* t = tw_.data() + (len / 2 - 4);
            const int e = len / 8;
            for (int k = 0; k < e; ++k) {
                unit_root(k, len, &t[k], &t[e + k]);
                unit_root(3 * static_cast<std::uint64_t>(k), len, &t[2 * e + k], &t[3 * e + k]);
            }
        }
        if (lanes_ == 4) {
            quad_join_ = quad_join_twiddles(n);
        } else {
            fill_roots(&join_, n / 4, n);
        }
        tile_bits_ = len_bits_ >= kLargeTileMinBits ? kLargeTileBits : kSmallTileBits;
        const int mid_bits = len_bits_ - 2 * tile_bits_;
        if (mid_bits >= 0) {
            rev_mid_.resize(std::size_t{1} << mid_bits);
            for (std::uint32_t v = 0; v < rev_mid_.size(); ++v)
                rev_mid_[v] = reverse_bits(v, mid_bits);
        }
    }

    // cos, then sin, of 2pi k/period for k = 0..last.
    static void fill_roots(std::vector<double>* table, int last, int period) {
        table->resize(2 * static_cast<std::size_t>(last + 1));
        for (int k = 0; k <= last; ++k) unit_root(k, period, &(*table)[k], &(*table)[last + 1 + k]);
    }

    int n_ = 0;
    int lanes_ = 0;
    int len_ = 0;
    int len_bits_ = 0;
    int tile_bits_ = 0;
    std::vector<double> tw_;
    std::vector<double> quad_join_;
    std::vector<double> join_;
    std::vector<std::uint32_t> rev_mid_;
};

std::shared_ptr<const RealPow2Plan> pow2_plan(int n) {
    static PlanCache<RealPow2Plan> cache(8, std::size_t{64} << 20);
    return cache.get(n);
}

// dst[bitrev(i)] = the vector of lanes i, which load(i, v) puts in v, for the split-radix length,
// in tiles of 2^TileBits x 2^TileBits.
template <int W, int TileBits, class Load>
DSP_INLINE void permute_tiles(const RealPow2Plan& plan, const Load& load,
                              typename Vec<W>::mem* dst) {
    constexpr int kTile = 1 << TileBits;
    static constexpr auto kRevTile = [] {
        std::array<std::uint8_t, kTile> rev{};
        for (int t = 0; t < kTile; ++t)
            rev[t] = static_cast<std::uint8_t>(reverse_bits(t, TileBits));
        return rev;
    }();
    const int mid_bits = plan.length_bits() - 2 * TileBits;
    const int high_shift = mid_bits + TileBits;
    const std::uint32_t* rev_mid = plan.rev_mid();
    const int mids = 1 << mid_bits;
    for (int v = 0; v < mids; ++v) {
        const std::size_t src_mid = static_cast<std::size_t>(v) << TileBits;
        const std::size_t dst_mid = static_cast<std::size_t>(rev_mid[v]) << TileBits;
        typename Vec<W>::value tile[kTile][kTile];
        for (int hi = 0; hi < kTile; ++hi) {
            const std::size_t row = (static_cast<std::size_t>(hi) << high_shift) | src_mid;
            for (int lo = 0; lo < kTile; ++lo) load(row + lo, tile[lo][kRevTile[hi]]);
        }
        for (int lo = 0; lo < kTile; ++lo) {
            typename Vec<W>::mem* row =
                dst + ((static_cast<std::size_t>(kRevTile[lo]) << high_shift) | dst_mid);
            for (int j = 0; j < kTile; ++j) row[j] = tile[lo][j];
        }
    }
}

template <int W, class Load>
DSP_INLINE void permute(const RealPow2Plan& plan, const Load& load, typename Vec<W>::mem* dst) {
    const int bits = plan.length_bits();
    if (bits < 2 * plan.tile_bits()) {
        for (int i = 0; i < plan.length(); ++i) {
            typename Vec<W>::value v;
            load(static_cast<std::size_t>(i), v);
            dst[reverse_bits(i, bits)] = v;
        }
    } else if (plan.tile_bits() == kLargeTileBits) {
        permute_tiles<W, kLargeTileBits>(plan, load, dst);
    } else {
        permute_tiles<W, kSmallTileBits>(plan, load, dst);
    }
}

template <int W>
DSP_MULTIVERSION void bit_reverse(const RealPow2Plan& plan, const typename Vec<W>::mem* src,
                                  typename Vec<W>::mem* dst) {
    permute<W>(
        plan, [src](std::size_t i, typename Vec<W>::value& v) { v = src[i]; }, dst);
}

// bit_reverse of the integer samples times the window (none: the samples alone), converted on
// the way: the windowed record is never stored in its natural order.
template <int W>
DSP_MULTIVERSION void windowed_bit_reverse(const RealPow2Plan& plan, const std::int32_t* samples,
                                           const double* window, typename Vec<W>::mem* dst) {
    using V = typename Vec<W>::value;
    if (window == nullptr) {
        permute<W>(
            plan,
            [samples](std::size_t i, V& v) {
                for (int r = 0; r < W; ++r) v[r] = samples[i * W + r];
            },
            dst);
        return;
    }
    permute<W>(
        plan,
        [samples, window](std::size_t i, V& v) {
            for (int r = 0; r < W; ++r) v[r] = samples[i * W + r] * window[i * W + r];
        },
        dst);
}

// Joins, in place, the packed transforms of the even samples (a[0, N/2)), the samples 4m+1
// (a[N/2, 3N/4)) and 4m+3 (a[3N/4, N)) into the packed transform of length N: Re X[k] at k
// for k <= N/2, Im X[k] at N-k for 0 < k < N/2. N >= 8.
template <int W>
DSP_INLINE void combine(typename Vec<W>::mem* a, int len, const double* tw) {
    using V = typename Vec<W>::value;
    const int e = len / 8;
    const int q = len / 4;
    const int h = len / 2;
    {
        const V e0 = a[0], u = a[h], z = a[h + q];
        const V t1 = u + z;
        a[0] = e0 + t1;
        a[h] = e0 - t1;
        a[h + q] = z - u;
    }
    {
        const V er = a[e], ei = a[3 * e], u = a[h + e], z = a[h + q + e];
        const V d = kSqrtHalf * (u - z), s = kSqrtHalf * (u + z);
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
        const V er = a[k], ei = a[h - k];
        // E[N/4+k] is the conjugate of E[N/4-k].
        const V fr = a[q - k], fi = -a[q + k];
        const V ur = a[h + k], ui = a[h + q - k];
        const V zr = a[h + q + k], zi = a[len - k];
        // U W^k and Z W^3k with W = e^(-j2pi/N).
        const V uwr = ur * c1[k] + ui * s1[k], uwi = ui * c1[k] - ur * s1[k];
        const V zwr = zr * c3[k] + zi * s3[k], zwi = zi * c3[k] - zr * s3[k];
        const V t1r = uwr + zwr, t1i = uwi + zwi;
        const V t2r = uwr - zwr, t2i = uwi - zwi;
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

template <int W, int N>
DSP_INLINE void split_radix_unrolled(const RealPow2Plan& plan, typename Vec<W>::mem* a) {
    using V = typename Vec<W>::value;
    if constexpr (N == 2) {
        const V s = a[0] + a[1];
        a[1] = a[0] - a[1];
        a[0] = s;
    } else if constexpr (N == 4) {
        const V e0 = a[0] + a[1], e1 = a[0] - a[1];
        const V t = a[2] + a[3], d = a[3] - a[2];
        a[0] = e0 + t;
        a[1] = e1;
        a[2] = e0 - t;
        a[3] = d;
    } else {
        split_radix_unrolled<W, N / 2>(plan, a);
        split_radix_unrolled<W, N / 4>(plan, a + N / 2);
        split_radix_unrolled<W, N / 4>(plan, a + 3 * N / 4);
        combine<W>(a, N, plan.twiddles(N));
    }
}

// RealFFT: the split-radix recursion on bit-reversed data, depth first, so that every
// sub-transform that fits in cache is finished while it is there. Leaves the packed transform.
template <int W>
DSP_MULTIVERSION void RealFFT(const RealPow2Plan& plan, typename Vec<W>::mem* a, int len) {
    switch (len) {
        case 2:
            split_radix_unrolled<W, 2>(plan, a);
            return;
        case 4:
            split_radix_unrolled<W, 4>(plan, a);
            return;
        case 8:
            split_radix_unrolled<W, 8>(plan, a);
            return;
        case 16:
            split_radix_unrolled<W, 16>(plan, a);
            return;
        case 32:
            split_radix_unrolled<W, 32>(plan, a);
            return;
        case kUnrolledMax:
            split_radix_unrolled<W, kUnrolledMax>(plan, a);
            return;
        default:
            break;
    }
    RealFFT<W>(plan, a, len / 2);
    RealFFT<W>(plan, a + len / 2, len / 4);
    RealFFT<W>(plan, a + 3 * len / 4, len / 4);
    combine<W>(a, len, plan.twiddles(len));
}

// The last step, X[k] = E[k] + W^k O[k] and X[n/2-k] = conj(E[k] - W^k O[k]), W = e^(-j2pi/n),
// for the packed transforms E and O held in the lanes of `a`; writes the packed transform of
// all n samples.
DSP_MULTIVERSION void join_halves(const RealPow2Plan& plan, const Lanes* a, double* packed) {
    const int n = plan.n();
    const int m = n / 2;
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

// join_halves and Real_FFTCx in one step, for when the lanes are in a separate work array:
// every bin goes straight to its final places in x and y.
DSP_MULTIVERSION void join_halves_spread(const RealPow2Plan& plan, const Lanes* a, double* x,
                                         double* y) {
    const int n = plan.n();
    const int m = n / 2;
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

// Real_FFTCx: spreads the packed transform held in `packed` (x or y) into real parts x and
// imaginary parts y.
DSP_MULTIVERSION void Real_FFTCx(const double* packed, double* x, double* y, int n) {
    const int h = n / 2;
    x[0] = packed[0];
    x[h] = packed[h];
    y[0] = y[h] = 0.0;
    // Two bins per step: k and k+1, whose imaginary parts sit at n-k-1 and n-k (reversed).
    int k = 1;
    for (; k + 1 < h; k += 2) {
        const Lanes r = load_lanes(packed + k), i_rev = load_lanes(packed + n - k - 1);
        store_lanes(x + k, r);
        store_lanes(x + n - k - 1, swap_lanes(r));
        store_lanes(y + k, swap_lanes(i_rev));
        store_lanes(y + n - k - 1, -i_rev);
    }
    for (; k < h; ++k) {
        const double r = packed[k], i = packed[n - k];
        x[k] = x[n - k] = r;
        y[k] = i;
        y[n - k] = -i;
    }
}

// Transforms too long for the work buffer but short enough that a third array still sits in
// the level-2 cache beside x and y keep their lanes in a buffer of the thread's, grown once, so
// that the join writes the bins to their places and the spread pass is saved.
constexpr int kMaxScratchLength = 16384;

double* thread_scratch(int n) {
    thread_local std::unique_ptr<double[]> buffer;
    thread_local int size = 0;
    if (size < n) {
        buffer.reset(new (std::nothrow) double[static_cast<std::size_t>(n)]);
        size = buffer ? n : 0;
    }
    return buffer.get();
}

// The transform after the bit reversal: `permute(plan, dst)` fills dst, W lanes wide, with the
// bit-reversed input. With `half_complex` the bins stay packed, in x or y, and it points there.
template <class Permute>
int real_fft_pow2_from(const Permute& permute, double* x, double* y, int n, double** half_complex) {
    const auto plan = pow2_plan(n);
    if (!plan) return kOutOfMemory;
    // Short transforms keep the lanes in a cached work buffer, so that the last step can write
    // the bins straight to x and y.
    const FFTBufferLease work(n <= static_cast<int>(kFFTBufferDoubles));
    if (plan->lanes() == 4) {
        double* separate = work.get();
        if (separate == nullptr && half_complex == nullptr && n <= kMaxScratchLength)
            separate = thread_scratch(n);
        Quads* quads = reinterpret_cast<Quads*>(separate != nullptr ? separate : y);
        permute(*plan, quads);
        RealFFT<4>(*plan, quads, plan->length());
        if (separate != nullptr && half_complex == nullptr) {
            join_quads_spread(plan->quad_join(), quads, x, y, n);
            return 0;
        }
        join_quads_packed(plan->quad_join(), quads, x, n);
        if (half_complex != nullptr) {
            *half_complex = x;
        } else {
            Real_FFTCx(x, x, y, n);
        }
        return 0;
    }
    Lanes* pairs = reinterpret_cast<Lanes*>(work.get() != nullptr ? work.get() : y);
    permute(*plan, pairs);
    RealFFT<2>(*plan, pairs, plan->length());
    if (work.get() != nullptr && half_complex == nullptr) {
        join_halves_spread(*plan, pairs, x, y);
        return 0;
    }
    join_halves(*plan, pairs, x);
    if (half_complex != nullptr) {
        *half_complex = x;
    } else {
        Real_FFTCx(x, x, y, n);
    }
    return 0;
}

// A bit reversal into the lanes of dst, from natural-order input that `Source` describes.
template <class Source>
struct Permutation {
    Source source;
    void operator()(const RealPow2Plan& plan, Quads* dst) const {
        source.template into<4>(plan, dst);
    }
    void operator()(const RealPow2Plan& plan, Lanes* dst) const {
        source.template into<2>(plan, dst);
    }
};

struct DoubleSource {
    const double* x;
    template <int W>
    void into(const RealPow2Plan& plan, typename Vec<W>::mem* dst) const {
        bit_reverse<W>(plan, reinterpret_cast<const typename Vec<W>::mem*>(x), dst);
    }
};

struct WindowedSource {
    const std::int32_t* samples;
    const double* window;
    template <int W>
    void into(const RealPow2Plan& plan, typename Vec<W>::mem* dst) const {
        windowed_bit_reverse<W>(plan, samples, window, dst);
    }
};

}  // namespace

int real_fft_pow2(double* x, double* y, int n) {
    if (n == 2) {
        const double s = x[0] + x[1];
        x[1] = x[0] - x[1];
        x[0] = s;
        y[0] = y[1] = 0.0;
        return 0;
    }
    return real_fft_pow2_from(Permutation<DoubleSource>{{x}}, x, y, n, nullptr);
}

int windowed_real_fft_pow2(const std::int32_t* samples, const double* window, double* x, double* y,
                           int n, double** half_complex) {
    if (n == 2) {
        for (int i = 0; i < 2; ++i) x[i] = window != nullptr ? samples[i] * window[i] : samples[i];
        *half_complex = x;
        return real_fft_pow2(x, y, n);
    }
    return real_fft_pow2_from(Permutation<WindowedSource>{{samples, window}}, x, y, n,
                              half_complex);
}

}  // namespace dsp::detail
