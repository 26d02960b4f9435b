#include "dsp/quad_join.h"

#include "dsp/butterflies.h"
#include "dsp/unit_root.h"

namespace dsp::detail {

namespace {

using V4 = Vec<4>::value;

// Doubles of one block of twiddles: cos then sin for r = 1, 2, 3, four bins each.
constexpr int kBlock = 24;

// Vectors pass by reference: by value, they would change the calling convention between the
// AVX and the baseline build of the same code.
DSP_INLINE void store4(double* p, const V4& v) {
    *reinterpret_cast<Quads*>(p) = v;
}
DSP_INLINE void store4_reversed(double* p, const V4& v) {
    *reinterpret_cast<Quads*>(p) = __builtin_shufflevector(v, v, 3, 2, 1, 0);
}

// Rows a[0..3] (lanes r) to columns: out[r] lane i = a[i] lane r.
DSP_INLINE void transpose(const V4 (&a)[4], V4 (&out)[4]) {
    const V4 t0 = __builtin_shufflevector(a[0], a[1], 0, 4, 2, 6);
    const V4 t1 = __builtin_shufflevector(a[0], a[1], 1, 5, 3, 7);
    const V4 t2 = __builtin_shufflevector(a[2], a[3], 0, 4, 2, 6);
    const V4 t3 = __builtin_shufflevector(a[2], a[3], 1, 5, 3, 7);
    out[0] = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
    out[1] = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
    out[2] = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
    out[3] = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
}

// The twiddles of the radix-4 step for one k (T = double) or four consecutive k (T = V4): from
// F_r[k] = (re[r], im[r]) and W^(rk) = (c[r-1], -s[r-1]), W^(rk) F_r[k] in place; the
// four-point butterfly then leaves X[k + pL] at (re[p], im[p]).
template <class T>
DSP_INLINE void twiddle(T (&re)[4], T (&im)[4], const T (&c)[3], const T (&s)[3]) {
    for (int r = 1; r < 4; ++r) {
        const T tr = re[r] * c[r - 1] + im[r] * s[r - 1];
        im[r] = im[r] * c[r - 1] - re[r] * s[r - 1];
        re[r] = tr;
    }
}

// Writes bins to x and y, each with its conjugate mirror.
struct Spread {
    double* x;
    double* y;
    int n;
    // Bin j, 0 < j < n.
    DSP_INLINE void put(int j, double re, double im) const {
        x[j] = x[n - j] = re;
        y[j] = im;
        y[n - j] = -im;
    }
    // Bins j..j+3, 0 < j, j + 3 < n.
    DSP_INLINE void put(int j, const V4& re, const V4& im) const {
        store4(x + j, re);
        store4(y + j, im);
        store4_reversed(x + n - j - 3, re);
        store4_reversed(y + n - j - 3, -im);
    }
    // A real bin that is its own mirror, 0 or n/2.
    DSP_INLINE void put_real(int j, double re) const {
        x[j] = re;
        y[j] = 0.0;
    }
};

// Writes bins in half-complex order: those above n/2 as their conjugate mirrors.
struct HalfComplex {
    double* p;
    int n;
    DSP_INLINE void put(int j, double re, double im) const {
        if (2 * j < n) {
            p[j] = re;
            p[n - j] = im;
        } else {
            p[n - j] = re;
            p[j] = -im;
        }
    }
    // Bins j..j+3, all on one side of n/2.
    DSP_INLINE void put(int j, const V4& re, const V4& im) const {
        if (2 * j < n) {
            store4(p + j, re);
            store4_reversed(p + n - j - 3, im);
        } else {
            store4_reversed(p + n - j - 3, re);
            store4(p + j, -im);
        }
    }
    DSP_INLINE void put_real(int j, double re) const { p[j] = re; }
};

// F_r[k] sits at a[k] (real part, lane r) and a[L - k] (imaginary part) for 0 < k < L/2;
// F_r[0] and F_r[L/2] are real. The bins k + pL of k and of L - k are conjugates, so k < L/2
// covers them all.
template <class Sink>
DSP_INLINE void join(const double* tw, const Quads* a, const Sink& out, int n) {
    const int len = n / 4;
    const int half = len / 2;
    {
        const V4 f = a[0];
        const double e = f[0] + f[2], o = f[1] + f[3];
        out.put_real(0, e + o);
        out.put_real(2 * len, e - o);
        out.put(len, f[0] - f[2], f[3] - f[1]);
    }
    {
        // W^(rk) = e^(-j pi r/4) at k = L/2.
        const V4 f = a[half];
        const double d = kSqrtHalf * (f[1] - f[3]), s = kSqrtHalf * (f[1] + f[3]);
        out.put(half, f[0] + d, -f[2] - s);
        out.put(len + half, f[0] - d, f[2] - s);
    }
    const int head = half < 4 ? half : 4;
    for (int k = 1; k < head; ++k) {
        const V4 re = a[k], im = a[len - k];
        double xr[4] = {re[0], re[1], re[2], re[3]};
        double xi[4] = {im[0], im[1], im[2], im[3]};
        const double c[3] = {tw[k], tw[8 + k], tw[16 + k]};
        const double s[3] = {tw[4 + k], tw[12 + k], tw[20 + k]};
        twiddle(xr, xi, c, s);
        Butterfly<4>::run(xr, xi);
        for (int p = 0; p < 4; ++p) out.put(p * len + k, xr[p], xi[p]);
    }
    for (int k = 4; k < half; k += 4) {
        const V4 rows_re[4] = {a[k], a[k + 1], a[k + 2], a[k + 3]};
        const V4 rows_im[4] = {a[len - k], a[len - k - 1], a[len - k - 2], a[len - k - 3]};
        V4 xr[4], xi[4];
        transpose(rows_re, xr);
        transpose(rows_im, xi);
        const Quads* t =
            reinterpret_cast<const Quads*>(tw + static_cast<std::size_t>(k / 4) * kBlock);
        const V4 c[3] = {t[0], t[2], t[4]};
        const V4 s[3] = {t[1], t[3], t[5]};
        twiddle(xr, xi, c, s);
        Butterfly<4>::run(xr, xi);
        for (int p = 0; p < 4; ++p) out.put(p * len + k, xr[p], xi[p]);
    }
}

}  // namespace

std::vector<double> quad_join_twiddles(int n) {
    const int bins = n / 8;
    std::vector<double> table(static_cast<std::size_t>((bins + 3) / 4) * kBlock);
    for (int k = 0; k < bins; ++k) {
        double* t = table.data() + static_cast<std::size_t>(k / 4) * kBlock + k % 4;
        for (int r = 1; r <= 3; ++r)
            unit_root(static_cast<std::uint64_t>(r) * k, n, &t[8 * (r - 1)], &t[8 * (r - 1) + 4]);
    }
    return table;
}

DSP_MULTIVERSION void join_quads_spread(const double* twiddles, const Quads* a, double* x,
                                        double* y, int n) {
    join(twiddles, a, Spread{x, y, n}, n);
}

DSP_MULTIVERSION void join_quads_packed(const double* twiddles, const Quads* a, double* packed,
                                        int n) {
    join(twiddles, a, HalfComplex{packed, n}, n);
}

}  // namespace dsp::detail
