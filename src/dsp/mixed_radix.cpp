#include "dsp/mixed_radix.h"

#include <memory>
#include <new>
#include <type_traits>

#include "dsp/butterflies.h"
#include "dsp/dsp.h"
#include "dsp/fft_buffer.h"
#include "dsp/plan_cache.h"
#include "dsp/simd.h"
#include "dsp/unit_root.h"

namespace dsp::detail {

namespace {

enum class Mode {
    kComplex,    // full complex transform
    kHermitian,  // real data: only the lower half of each sub-transform is kept
    kRealFirst,  // first pass on real samples, imaginary parts taken as zero
};

// The inputs of butterfly k of a block, multiplied by e^(-j2pi bk/(R*span)).
template <int R, bool kFullRows, class T>
DSP_INLINE void load_twiddled(const T* r, const T* i, int span, int k, const MixedPass& p, T* zr,
                              T* zi) {
    zr[0] = r[k];
    zi[0] = i[k];
    if constexpr (kFullRows) {
        for (int b = 1; b < R; ++b) {
            const double wr = p.tw_re[(b - 1) * span + k], wi = p.tw_im[(b - 1) * span + k];
            const T ar = r[b * span + k], ai = i[b * span + k];
            zr[b] = ar * wr - ai * wi;
            zi[b] = ar * wi + ai * wr;
        }
    } else {
        const double w1r = p.tw_re[k], w1i = p.tw_im[k];
        double wr = w1r, wi = w1i;
        for (int b = 1; b < R; ++b) {
            const T ar = r[b * span + k], ai = i[b * span + k];
            zr[b] = ar * wr - ai * wi;
            zi[b] = ar * wi + ai * wr;
            const double next = wr * w1r - wi * w1i;
            wi = wr * w1i + wi * w1r;
            wr = next;
        }
    }
}

template <int R, bool kFullRows>
DSP_MULTIVERSION void pass_complex(double* re, double* im, int n, const MixedPass& p) {
    const int span = p.span;
    for (int start = 0; start < n; start += R * span) {
        double* r = re + start;
        double* i = im + start;
        {
            double zr[R], zi[R];
            for (int b = 0; b < R; ++b) {
                zr[b] = r[b * span];
                zi[b] = i[b * span];
            }
            Butterfly<R>::run(zr, zi);
            for (int q = 0; q < R; ++q) {
                r[q * span] = zr[q];
                i[q * span] = zi[q];
            }
        }
        DSP_INDEPENDENT_ITERATIONS
        for (int k = 1; k < span; ++k) {
            double zr[R], zi[R];
            load_twiddled<R, kFullRows>(r, i, span, k, p, zr, zi);
            Butterfly<R>::run(zr, zi);
            for (int q = 0; q < R; ++q) {
                r[q * span + k] = zr[q];
                i[q * span + k] = zi[q];
            }
        }
    }
}

// The transpose of a decimation-in-time pass (the DFT matrix being symmetric): the butterfly
// first, then output b times e^(-j2pi bk/(R*span)). Run from the last pass to the first on data
// in natural order, these passes leave the transform in digit-reversed order.
template <int R, bool kFullRows>
DSP_MULTIVERSION void pass_dif(double* re, double* im, int n, const MixedPass& p) {
    const int span = p.span;
    for (int start = 0; start < n; start += R * span) {
        double* r = re + start;
        double* i = im + start;
        DSP_INDEPENDENT_ITERATIONS
        for (int k = 0; k < span; ++k) {
            double zr[R], zi[R];
            for (int q = 0; q < R; ++q) {
                zr[q] = r[q * span + k];
                zi[q] = i[q * span + k];
            }
            Butterfly<R>::run(zr, zi);
            r[k] = zr[0];
            i[k] = zi[0];
            double wr = p.tw_re[k], wi = p.tw_im[k];
            const double w1r = wr, w1i = wi;
            for (int b = 1; b < R; ++b) {
                if constexpr (kFullRows) {
                    wr = p.tw_re[(b - 1) * span + k];
                    wi = p.tw_im[(b - 1) * span + k];
                }
                r[b * span + k] = zr[b] * wr - zi[b] * wi;
                i[b * span + k] = zr[b] * wi + zi[b] * wr;
                if constexpr (!kFullRows) {
                    const double next = wr * w1r - wi * w1i;
                    wi = wr * w1i + wi * w1r;
                    wr = next;
                }
            }
        }
    }
}

template <int R>
void run_pass_dif(double* re, double* im, int n, const MixedPass& p) {
    if (p.full_rows) {
        pass_dif<R, true>(re, im, n, p);
    } else {
        pass_dif<R, false>(re, im, n, p);
    }
}

// A block of a real transform is conjugate-symmetric, so only its bins 0..R*span/2 are kept.
// Butterfly k (0 < k < span/2) yields the kept bins k + q*span for q < (R+1)/2; its other
// outputs are the conjugates of the bins (span-k) + (R-1-q)*span, stored there instead.
// Butterflies span-k are never run: about half of the arithmetic of a complex pass.
template <int R, bool kFullRows, class T>
DSP_MULTIVERSION void pass_hermitian(T* re, T* im, int n, const MixedPass& p) {
    constexpr int kDirect = (R + 1) / 2;
    const int span = p.span;
    const int interior_end = (span + 1) / 2;
    for (int start = 0; start < n; start += R * span) {
        T* r = re + start;
        T* i = im + start;
        {
            // Butterfly 0 joins the sub-transforms' DC bins, which are real (in the first pass,
            // the samples themselves).
            T a[R], xr[R / 2 + 1], xi[R / 2 + 1];
            for (int b = 0; b < R; ++b) a[b] = r[b * span];
            RealButterfly<R>::run(a, xr, xi);
            for (int q = 0; q <= R / 2; ++q) {
                r[q * span] = xr[q];
                i[q * span] = xi[q];
            }
        }
        DSP_INDEPENDENT_ITERATIONS
        for (int k = 1; k < interior_end; ++k) {
            T zr[R], zi[R];
            load_twiddled<R, kFullRows>(r, i, span, k, p, zr, zi);
            Butterfly<R>::run(zr, zi);
            for (int q = 0; q < kDirect; ++q) {
                r[q * span + k] = zr[q];
                i[q * span + k] = zi[q];
            }
            for (int q = kDirect; q < R; ++q) {
                const int mirror = (R - 1 - q) * span + span - k;
                r[mirror] = zr[q];
                i[mirror] = -zi[q];
            }
        }
        if (span % 2 == 0) {
            const int k = span / 2;
            T zr[R], zi[R];
            load_twiddled<R, kFullRows>(r, i, span, k, p, zr, zi);
            Butterfly<R>::run(zr, zi);
            for (int q = 0; q < kDirect; ++q) {
                r[q * span + k] = zr[q];
                i[q * span + k] = zi[q];
            }
        }
    }
}

// fft_odd: any odd radix, through the (R-1)/2 pairs of inputs with conjugate twiddles.
template <class T>
DSP_MULTIVERSION void pass_odd(T* re, T* im, int n, const MixedPass& p, double* work, Mode mode) {
    const int R = p.radix;
    const int h = (R - 1) / 2;
    const int span = p.span;
    const double* c = p.trig_cos;
    const double* s = p.trig_sin;
    T* sr = reinterpret_cast<T*>(work);
    T* si = sr + h;
    T* dr = sr + 2 * h;
    T* di = sr + 3 * h;
    const int k_end = mode == Mode::kComplex ? span : span / 2 + 1;
    for (int start = 0; start < n; start += R * span) {
        T* r = re + start;
        T* i = im + start;
        for (int k = 0; k < k_end; ++k) {
            const T z0r = r[k];
            const T z0i = mode == Mode::kRealFirst ? T{} : i[k];
            T x0r = z0r, x0i = z0i;
            for (int j = 1; j <= h; ++j) {
                T ar = r[j * span + k], ai = mode == Mode::kRealFirst ? T{} : i[j * span + k];
                T br = r[(R - j) * span + k];
                T bi = mode == Mode::kRealFirst ? T{} : i[(R - j) * span + k];
                if (k > 0) {
                    const double* twr = p.tw_re;
                    const double* twi = p.tw_im;
                    const int ja = (j - 1) * span + k, jb = (R - j - 1) * span + k;
                    const T tar = ar * twr[ja] - ai * twi[ja];
                    ai = ar * twi[ja] + ai * twr[ja];
                    ar = tar;
                    const T tbr = br * twr[jb] - bi * twi[jb];
                    bi = br * twi[jb] + bi * twr[jb];
                    br = tbr;
                }
                sr[j - 1] = ar + br;
                si[j - 1] = ai + bi;
                dr[j - 1] = ar - br;
                di[j - 1] = ai - bi;
                x0r += sr[j - 1];
                x0i += si[j - 1];
            }
            r[k] = x0r;
            i[k] = x0i;
            const bool mirrored = mode != Mode::kComplex && k > 0 && 2 * k < span;
            for (int q = 1; q <= h; ++q) {
                T ar = z0r, ai = z0i, br{}, bi{};
                int t = 0;
                for (int j = 0; j < h; ++j) {
                    t += q;
                    if (t >= R) t -= R;
                    ar += sr[j] * c[t];
                    ai += si[j] * c[t];
                    br += di[j] * s[t];
                    bi -= dr[j] * s[t];
                }
                r[q * span + k] = ar + br;
                i[q * span + k] = ai + bi;
                if (mode == Mode::kComplex) {
                    r[(R - q) * span + k] = ar - br;
                    i[(R - q) * span + k] = ai - bi;
                } else if (mirrored) {
                    const int mirror = (q - 1) * span + span - k;
                    r[mirror] = ar - br;
                    i[mirror] = bi - ai;
                }
            }
        }
    }
}

template <int R, class T>
void run_pass(T* re, T* im, int n, const MixedPass& p, Mode mode) {
    if constexpr (std::is_same_v<T, double>) {
        if (mode == Mode::kComplex) {
            if (p.full_rows) {
                pass_complex<R, true>(re, im, n, p);
            } else {
                pass_complex<R, false>(re, im, n, p);
            }
            return;
        }
    }
    if (p.full_rows) {
        pass_hermitian<R, true>(re, im, n, p);
    } else {
        pass_hermitian<R, false>(re, im, n, p);
    }
}

// One pass: twiddle factors and the butterfly of the pass's radix.
template <class T>
void twiddleTransf(T* re, T* im, int n, const MixedPass& p, double* work, Mode mode) {
    switch (p.radix) {
        case 2:
            run_pass<2>(re, im, n, p, mode);
            break;
        case 3:
            run_pass<3>(re, im, n, p, mode);
            break;
        case 4:
            run_pass<4>(re, im, n, p, mode);
            break;
        case 5:
            run_pass<5>(re, im, n, p, mode);
            break;
        case 8:
            run_pass<8>(re, im, n, p, mode);
            break;
        case 10:
            run_pass<10>(re, im, n, p, mode);
            break;
        default:
            pass_odd(re, im, n, p, work, mode);
            break;
    }
}

// The first passes join short sub-transforms lying in contiguous blocks. They run block by
// block while a block (real and imaginary parts) stays within this size, so that only the later
// passes stream through memory.
constexpr std::size_t kCacheBlockBytes = std::size_t{256} << 10;

// How many leading passes fit in one block of elements of `element_bytes` (real and imaginary
// part together), and the block length they need.
int leading_passes(const MixedPlan& plan, std::size_t element_bytes, int* block) {
    int count = 0;
    std::size_t size = 1;
    while (count < plan.factors().count &&
           size * plan.pass(count).radix * element_bytes <= kCacheBlockBytes)
        size *= plan.pass(count++).radix;
    *block = static_cast<int>(size);
    return count;
}

template <class T>
void run_passes(const MixedPlan& plan, T* re, T* im, double* work, Mode mode) {
    auto mode_of = [mode](int p) {
        return mode == Mode::kComplex || p > 0 ? mode : Mode::kRealFirst;
    };
    int block = 0;
    const int lead = leading_passes(plan, 2 * sizeof(T), &block);
    for (int start = 0; lead > 0 && start < plan.n(); start += block)
        for (int p = 0; p < lead; ++p)
            twiddleTransf(re + start, im + start, block, plan.pass(p), work, mode_of(p));
    for (int p = lead; p < plan.factors().count; ++p)
        twiddleTransf(re, im, plan.n(), plan.pass(p), work, mode_of(p));
}

template <class T>
void hermitian_passes(const MixedPlan& plan, T* re, T* im, double* work) {
    run_passes(plan, re, im, work, Mode::kHermitian);
}

// Temporaries owned for the duration of one transform.
std::unique_ptr<double[]> try_alloc(std::size_t count) {
    return std::unique_ptr<double[]>(new (std::nothrow) double[count]);
}

struct WorkBuffer {
    double* data = FFTBufferAcquire();
    ~WorkBuffer() { FFTBufferRelease(data); }
    WorkBuffer() = default;
    WorkBuffer(const WorkBuffer&) = delete;
    WorkBuffer& operator=(const WorkBuffer&) = delete;
};

// Even lengths: the even and the odd samples are two real transforms of n/2 points, run side
// by side in the lanes of Lanes vectors and joined by one radix-2 step at the end.
class RealMixedPlan {
  public:
    static std::shared_ptr<const RealMixedPlan> build(int n) {
        try {
            auto plan = std::make_shared<RealMixedPlan>();
            plan->half_ = mixed_plan(n / 2);
            if (!plan->half_) return nullptr;
            const int last = n / 4;
            plan->join_.resize(2 * static_cast<std::size_t>(last + 1));
            for (int k = 0; k <= last; ++k)
                unit_root(k, n, &plan->join_[k], &plan->join_[last + 1 + k]);
            return plan;
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    std::size_t bytes() const { return join_.capacity() * sizeof(double) + half_->bytes(); }

    const MixedPlan& half() const { return *half_; }
    const double* join_cos() const { return join_.data(); }
    const double* join_sin() const { return join_.data() + join_.size() / 2; }

  private:
    std::shared_ptr<const MixedPlan> half_;
    std::vector<double> join_;  // cos, then sin, of 2pi k/n for k <= n/4
};

std::shared_ptr<const RealMixedPlan> real_mixed_plan(int n) {
    static PlanCache<RealMixedPlan> cache(8, std::size_t{256} << 20);
    return cache.get(n);
}

// Joins the transforms E (lane 0) and O (lane 1) of the even and odd samples, bins 0..m/2 of
// each in (re, im), into all n bins of the whole transform in (x, y):
// X[k] = E[k] + W^k O[k], X[m-k] = conj(E[k] - W^k O[k]), W = e^(-j2pi/n), m = n/2.
// re and im occupy y and x themselves; every write below lands on a pair already read, in the
// upper halves (free), or, for the bins just below m, is made in a last pass from its mirror.
DSP_MULTIVERSION void join_even_odd(const RealMixedPlan& plan, const Lanes* re, const Lanes* im,
                                    double* x, double* y, int n) {
    const int m = n / 2;
    const int last = m / 2;
    const double* c = plan.join_cos();
    const double* s = plan.join_sin();
    // Bin k from E[k] = (er, ei), O[k] = (orr, oi); X[m-k] goes to its mirror m+k only.
    auto emit = [&](int k, double er, double ei, double orr, double oi) {
        const double tr = orr * c[k] + oi * s[k];
        const double ti = oi * c[k] - orr * s[k];
        x[k] = x[n - k] = er + tr;
        y[k] = ei + ti;
        y[n - k] = -(ei + ti);
        x[m + k] = er - tr;
        y[m + k] = ei - ti;
    };
    const Lanes last_re = re[last], last_im = im[last];  // overwritten before its turn
    const double e0 = re[0][0], o0 = re[0][1];
    x[0] = e0 + o0;
    y[0] = 0.0;
    x[m] = e0 - o0;
    y[m] = 0.0;
    // Two bins per step: lane j of the vectors below belongs to bin k + j.
    int k = 1;
    for (; k + 1 < last; k += 2) {
        const Lanes r0 = re[k], r1 = re[k + 1], i0 = im[k], i1 = im[k + 1];
        const Lanes er = {r0[0], r1[0]}, orr = {r0[1], r1[1]};
        const Lanes ei = {i0[0], i1[0]}, oi = {i0[1], i1[1]};
        const Lanes ck = load_lanes(c + k), sk = load_lanes(s + k);
        const Lanes tr = orr * ck + oi * sk;
        const Lanes ti = oi * ck - orr * sk;
        const Lanes sum_re = er + tr, sum_im = ei + ti;
        store_lanes(x + k, sum_re);
        store_lanes(x + n - k - 1, swap_lanes(sum_re));
        store_lanes(y + k, sum_im);
        store_lanes(y + n - k - 1, -swap_lanes(sum_im));
        store_lanes(x + m + k, er - tr);
        store_lanes(y + m + k, ei - ti);
    }
    for (; k < last; ++k) {
        const Lanes r = re[k], i = im[k];
        emit(k, r[0], i[0], r[1], i[1]);
    }
    if (m % 2 == 0) {
        // The middle bins of E and O are real; so is the exact transform there.
        emit(last, last_re[0], 0.0, last_re[1], 0.0);
    } else {
        emit(last, last_re[0], last_im[0], last_re[1], last_im[1]);
    }
    for (int k = 1; 2 * k < m; ++k) {
        x[m - k] = x[m + k];
        y[m - k] = -y[m + k];
    }
}

int mixRefft_even(double* x, double* y, int n) {
    const auto plan = real_mixed_plan(n);
    WorkBuffer work;
    if (!plan || work.data == nullptr) return kOutOfMemory;
    const MixedPlan& half = plan->half();
    const Lanes* pairs = reinterpret_cast<const Lanes*>(x);
    Lanes* re = reinterpret_cast<Lanes*>(y);
    Lanes* im = reinterpret_cast<Lanes*>(x);
    half.for_each_digit_reversed([&](int pos, int src) { re[pos] = pairs[src]; });
    hermitian_passes(half, re, im, work.data);
    join_even_odd(*plan, re, im, x, y, n);
    return 0;
}

}  // namespace

void permute(const MixedPlan& plan, const double* src_re, const double* src_im, double* dst_re,
             double* dst_im) {
    plan.for_each_digit_reversed([&](int pos, int src) {
        dst_re[pos] = src_re[src];
        dst_im[pos] = src_im[src];
    });
}

void Repermute(const MixedPlan& plan, const double* src, double* dst) {
    plan.for_each_digit_reversed([&](int pos, int from) { dst[pos] = src[from]; });
}

void mixfft_passes(const MixedPlan& plan, double* re, double* im, double* work) {
    run_passes(plan, re, im, work, Mode::kComplex);
}

bool mixfft_dif_passes(const MixedPlan& plan, double* re, double* im) {
    for (int p = 0; p < plan.factors().count; ++p)
        if (!has_own_butterfly(plan.pass(p).radix)) return false;
    auto run = [](double* r, double* i, int n, const MixedPass& pass) {
        switch (pass.radix) {
            case 2:
                run_pass_dif<2>(r, i, n, pass);
                break;
            case 3:
                run_pass_dif<3>(r, i, n, pass);
                break;
            case 4:
                run_pass_dif<4>(r, i, n, pass);
                break;
            case 5:
                run_pass_dif<5>(r, i, n, pass);
                break;
            case 8:
                run_pass_dif<8>(r, i, n, pass);
                break;
            default:
                run_pass_dif<10>(r, i, n, pass);
                break;
        }
    };
    // The passes of the decimation-in-time order, backwards: the long ones stream through
    // memory first, then the short ones run block by block.
    int block = 0;
    const int lead = leading_passes(plan, 2 * sizeof(double), &block);
    for (int p = plan.factors().count - 1; p >= lead; --p) run(re, im, plan.n(), plan.pass(p));
    for (int start = 0; lead > 0 && start < plan.n(); start += block)
        for (int p = lead - 1; p >= 0; --p) run(re + start, im + start, block, plan.pass(p));
    return true;
}

void mixRefft_passes(const MixedPlan& plan, double* re, double* im, double* work) {
    hermitian_passes(plan, re, im, work);
}

int mixRefft(double* x, double* y, int n) {
    if (n % 2 == 0) return mixRefft_even(x, y, n);
    const auto plan = mixed_plan(n);
    WorkBuffer work;
    if (!plan || work.data == nullptr) return kOutOfMemory;
    Repermute(*plan, x, y);
    mixRefft_passes(*plan, y, x, work.data);
    // Bins 0..n/2 are in (y, x); spread them to (x, y) with the conjugate upper half.
    x[0] = y[0];
    y[0] = 0.0;
    for (int k = 1; 2 * k < n; ++k) {
        const double r = y[k], i = x[k];
        x[k] = r;
        y[k] = i;
        x[n - k] = r;
        y[n - k] = -i;
    }
    if (n % 2 == 0) {
        x[n / 2] = y[n / 2];
        y[n / 2] = 0.0;
    }
    return 0;
}

int mixfft(double* re, double* im, int n) {
    const auto plan = mixed_plan(n);
    WorkBuffer work;
    auto copy = try_alloc(2 * static_cast<std::size_t>(n));
    if (!plan || work.data == nullptr || !copy) return kOutOfMemory;
    double* copy_re = copy.get();
    double* copy_im = copy.get() + n;
    for (int k = 0; k < n; ++k) {
        copy_re[k] = re[k];
        copy_im[k] = im[k];
    }
    permute(*plan, copy_re, copy_im, re, im);
    mixfft_passes(*plan, re, im, work.data);
    return 0;
}

}  // namespace dsp::detail
