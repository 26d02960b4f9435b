#include "dsp/mixed_passes.h"

#include <cstddef>

#include "dsp/butterflies.h"

namespace dsp::detail {

namespace {

enum class Mode {
    kComplex,    // full complex transform
    kHermitian,  // real data: only the lower half of each sub-transform is kept
    kRealFirst,  // first pass on real samples, imaginary parts taken as zero
};

// The inputs of butterfly k of a block, multiplied by e^(-j2pi bk/(R*span)).
template <int R, bool kFullRows, int W>
DSP_INLINE void load_twiddled(const typename Vec<W>::mem* r, const typename Vec<W>::mem* i,
                              int span, int k, const MixedPass& p, typename Vec<W>::value* zr,
                              typename Vec<W>::value* zi) {
    using T = typename Vec<W>::value;
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
            load_twiddled<R, kFullRows, 1>(r, i, span, k, p, zr, zi);
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
template <int R, bool kFullRows, int W>
DSP_MULTIVERSION void pass_hermitian(typename Vec<W>::mem* re, typename Vec<W>::mem* im, int n,
                                     const MixedPass& p) {
    using T = typename Vec<W>::value;
    using M = typename Vec<W>::mem;
    constexpr int kDirect = (R + 1) / 2;
    const int span = p.span;
    const int interior_end = (span + 1) / 2;
    for (int start = 0; start < n; start += R * span) {
        M* r = re + start;
        M* i = im + start;
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
            load_twiddled<R, kFullRows, W>(r, i, span, k, p, zr, zi);
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
            load_twiddled<R, kFullRows, W>(r, i, span, k, p, zr, zi);
            Butterfly<R>::run(zr, zi);
            for (int q = 0; q < kDirect; ++q) {
                r[q * span + k] = zr[q];
                i[q * span + k] = zi[q];
            }
        }
    }
}

// fft_odd: any odd radix, through the (R-1)/2 pairs of inputs with conjugate twiddles.
template <int W>
DSP_MULTIVERSION void pass_odd(typename Vec<W>::mem* re, typename Vec<W>::mem* im, int n,
                               const MixedPass& p, double* work, Mode mode) {
    using T = typename Vec<W>::value;
    using M = typename Vec<W>::mem;
    const int R = p.radix;
    const int h = (R - 1) / 2;
    const int span = p.span;
    const double* c = p.trig_cos;
    const double* s = p.trig_sin;
    M* sr = reinterpret_cast<M*>(work);
    M* si = sr + h;
    M* dr = sr + 2 * h;
    M* di = sr + 3 * h;
    const int k_end = mode == Mode::kComplex ? span : span / 2 + 1;
    for (int start = 0; start < n; start += R * span) {
        M* r = re + start;
        M* i = im + start;
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

template <int R, int W>
void run_pass(typename Vec<W>::mem* re, typename Vec<W>::mem* im, int n, const MixedPass& p,
              Mode mode) {
    if constexpr (W == 1) {
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
        pass_hermitian<R, true, W>(re, im, n, p);
    } else {
        pass_hermitian<R, false, W>(re, im, n, p);
    }
}

// One pass: twiddle factors and the butterfly of the pass's radix.
template <int W>
void twiddleTransf(typename Vec<W>::mem* re, typename Vec<W>::mem* im, int n, const MixedPass& p,
                   double* work, Mode mode) {
    switch (p.radix) {
        case 2:
            run_pass<2, W>(re, im, n, p, mode);
            break;
        case 3:
            run_pass<3, W>(re, im, n, p, mode);
            break;
        case 4:
            run_pass<4, W>(re, im, n, p, mode);
            break;
        case 5:
            run_pass<5, W>(re, im, n, p, mode);
            break;
        case 8:
            run_pass<8, W>(re, im, n, p, mode);
            break;
        case 10:
            run_pass<10, W>(re, im, n, p, mode);
            break;
        default:
            pass_odd<W>(re, im, n, p, work, mode);
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

template <int W>
void run_passes(const MixedPlan& plan, typename Vec<W>::mem* re, typename Vec<W>::mem* im,
                double* work, Mode mode) {
    auto mode_of = [mode](int p) {
        return mode == Mode::kComplex || p > 0 ? mode : Mode::kRealFirst;
    };
    int block = 0;
    const int lead = leading_passes(plan, 2 * sizeof(typename Vec<W>::mem), &block);
    for (int start = 0; lead > 0 && start < plan.n(); start += block)
        for (int p = 0; p < lead; ++p)
            twiddleTransf<W>(re + start, im + start, block, plan.pass(p), work, mode_of(p));
    for (int p = lead; p < plan.factors().count; ++p)
        twiddleTransf<W>(re, im, plan.n(), plan.pass(p), work, mode_of(p));
}

}  // namespace

void mixfft_passes(const MixedPlan& plan, double* re, double* im, double* work) {
    run_passes<1>(plan, re, im, work, Mode::kComplex);
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
    run_passes<1>(plan, re, im, work, Mode::kHermitian);
}

void mixRefft_passes(const MixedPlan& plan, Lanes* re, Lanes* im, double* work) {
    run_passes<2>(plan, re, im, work, Mode::kHermitian);
}

}  // namespace dsp::detail
