// Small DFTs of the mixed-radix passes, X[q] = sum z[b] e^(-j2pi bq/R), in place on split
// real/imaginary arrays of doubles, or of lane vectors holding several independent transforms.
// Straight-line code, so a loop over many butterflies vectorises.
#pragma once

#include "dsp/simd.h"

namespace dsp::detail {

inline constexpr double kSqrtHalf = 0.70710678118654752440;
inline constexpr double kSin60 = 0.86602540378443864676;

// Five-point constants: (cos 72 + cos 144)/2 - 1, (cos 72 - cos 144)/2, -sin 72,
// -(sin 72 + sin 36), sin 72 - sin 36.
inline constexpr double kC51 = -1.25;
inline constexpr double kC52 = 0.55901699437494742410;
inline constexpr double kC53 = -0.95105651629515357212;
inline constexpr double kC54 = -1.53884176858762670130;
inline constexpr double kC55 = 0.36327126400268044295;

template <int R>
struct Butterfly;

template <>
struct Butterfly<2> {
    template <class T>
    static DSP_INLINE void run(T* r, T* i) {
        const T ar = r[0] - r[1], ai = i[0] - i[1];
        r[0] += r[1];
        i[0] += i[1];
        r[1] = ar;
        i[1] = ai;
    }
};

template <>
struct Butterfly<3> {
    template <class T>
    static DSP_INLINE void run(T* r, T* i) {
        const T tr = r[1] + r[2], ti = i[1] + i[2];
        const T mr = r[0] - 0.5 * tr, mi = i[0] - 0.5 * ti;
        const T sr = kSin60 * (i[1] - i[2]), si = -kSin60 * (r[1] - r[2]);
        r[0] += tr;
        i[0] += ti;
        r[1] = mr + sr;
        i[1] = mi + si;
        r[2] = mr - sr;
        i[2] = mi - si;
    }
};

// X1 = (z0 - z2) - j(z1 - z3).
template <>
struct Butterfly<4> {
    template <class T>
    static DSP_INLINE void run(T* r, T* i) {
        const T s02r = r[0] + r[2], s02i = i[0] + i[2];
        const T d02r = r[0] - r[2], d02i = i[0] - i[2];
        const T s13r = r[1] + r[3], s13i = i[1] + i[3];
        const T d13r = r[1] - r[3], d13i = i[1] - i[3];
        r[0] = s02r + s13r;
        i[0] = s02i + s13i;
        r[2] = s02r - s13r;
        i[2] = s02i - s13i;
        r[1] = d02r + d13i;
        i[1] = d02i - d13r;
        r[3] = d02r - d13i;
        i[3] = d02i + d13r;
    }
};

// fft_5: the five-point transform with five real multiplications per component.
template <>
struct Butterfly<5> {
    template <class T>
    static DSP_INLINE void run(T* r, T* i) {
        const T t1r = r[1] + r[4], t1i = i[1] + i[4];
        const T t2r = r[2] + r[3], t2i = i[2] + i[3];
        const T t3r = r[1] - r[4], t3i = i[1] - i[4];
        const T t4r = r[3] - r[2], t4i = i[3] - i[2];
        const T t5r = t1r + t2r, t5i = t1i + t2i;
        r[0] += t5r;
        i[0] += t5i;
        const T m1r = kC51 * t5r, m1i = kC51 * t5i;
        const T m2r = kC52 * (t1r - t2r), m2i = kC52 * (t1i - t2i);
        const T m3r = -kC53 * (t3i + t4i), m3i = kC53 * (t3r + t4r);
        const T m4r = -kC54 * t4i, m4i = kC54 * t4r;
        const T m5r = -kC55 * t3i, m5i = kC55 * t3r;
        const T s3r = m3r - m4r, s3i = m3i - m4i;
        const T s5r = m3r + m5r, s5i = m3i + m5i;
        const T s1r = r[0] + m1r, s1i = i[0] + m1i;
        const T s2r = s1r + m2r, s2i = s1i + m2i;
        const T s4r = s1r - m2r, s4i = s1i - m2i;
        r[1] = s2r + s3r;
        i[1] = s2i + s3i;
        r[2] = s4r + s5r;
        i[2] = s4i + s5i;
        r[3] = s4r - s5r;
        i[3] = s4i - s5i;
        r[4] = s2r - s3r;
        i[4] = s2i - s3i;
    }
};

// fft_8: two four-point transforms on the even and odd inputs, joined by e^(-j2pi q/8).
template <>
struct Butterfly<8> {
    template <class T>
    static DSP_INLINE void run(T* r, T* i) {
        T er[4] = {r[0], r[2], r[4], r[6]}, ei[4] = {i[0], i[2], i[4], i[6]};
        T odr[4] = {r[1], r[3], r[5], r[7]}, odi[4] = {i[1], i[3], i[5], i[7]};
        Butterfly<4>::run<T>(er, ei);
        Butterfly<4>::run<T>(odr, odi);
        const T w1r = kSqrtHalf * (odr[1] + odi[1]), w1i = kSqrtHalf * (odi[1] - odr[1]);
        const T w2r = odi[2], w2i = -odr[2];
        const T w3r = kSqrtHalf * (odi[3] - odr[3]), w3i = -kSqrtHalf * (odr[3] + odi[3]);
        r[0] = er[0] + odr[0];
        i[0] = ei[0] + odi[0];
        r[4] = er[0] - odr[0];
        i[4] = ei[0] - odi[0];
        r[1] = er[1] + w1r;
        i[1] = ei[1] + w1i;
        r[5] = er[1] - w1r;
        i[5] = ei[1] - w1i;
        r[2] = er[2] + w2r;
        i[2] = ei[2] + w2i;
        r[6] = er[2] - w2r;
        i[6] = ei[2] - w2i;
        r[3] = er[3] + w3r;
        i[3] = ei[3] + w3i;
        r[7] = er[3] - w3r;
        i[7] = ei[3] - w3i;
    }
};

// fft_10: 10 = 2 * 5 with coprime factors, so two five-point transforms on index-mapped inputs
// and five two-point ones need no twiddle factors between them.
template <>
struct Butterfly<10> {
    template <class T>
    static DSP_INLINE void run(T* r, T* i) {
        T ar[5] = {r[0], r[2], r[4], r[6], r[8]}, ai[5] = {i[0], i[2], i[4], i[6], i[8]};
        T br[5] = {r[5], r[7], r[9], r[1], r[3]}, bi[5] = {i[5], i[7], i[9], i[1], i[3]};
        Butterfly<5>::run<T>(ar, ai);
        Butterfly<5>::run<T>(br, bi);
        // Output index (5 k1 + 6 k2) mod 10 for the two-point index k1 and five-point index k2.
        r[0] = ar[0] + br[0];
        i[0] = ai[0] + bi[0];
        r[5] = ar[0] - br[0];
        i[5] = ai[0] - bi[0];
        r[6] = ar[1] + br[1];
        i[6] = ai[1] + bi[1];
        r[1] = ar[1] - br[1];
        i[1] = ai[1] - bi[1];
        r[2] = ar[2] + br[2];
        i[2] = ai[2] + bi[2];
        r[7] = ar[2] - br[2];
        i[7] = ai[2] - bi[2];
        r[8] = ar[3] + br[3];
        i[8] = ai[3] + bi[3];
        r[3] = ar[3] - br[3];
        i[3] = ai[3] - bi[3];
        r[4] = ar[4] + br[4];
        i[4] = ai[4] + bi[4];
        r[9] = ar[4] - br[4];
        i[9] = ai[4] - bi[4];
    }
};

}  // namespace dsp::detail

namespace dsp::detail {

// Real-input versions for the first pass of a real transform: from R real samples a, the bins
// q = 0..R/2 (the others are their conjugates), about half the work of the complex butterfly.
template <int R>
struct RealButterfly;

template <>
struct RealButterfly<2> {
    template <class T>
    static DSP_INLINE void run(const T* a, T* xr, T* xi) {
        xr[0] = a[0] + a[1];
        xr[1] = a[0] - a[1];
        xi[0] = xi[1] = T{};
    }
};

template <>
struct RealButterfly<3> {
    template <class T>
    static DSP_INLINE void run(const T* a, T* xr, T* xi) {
        const T t = a[1] + a[2];
        xr[0] = a[0] + t;
        xi[0] = T{};
        xr[1] = a[0] - 0.5 * t;
        xi[1] = -kSin60 * (a[1] - a[2]);
    }
};

template <>
struct RealButterfly<4> {
    template <class T>
    static DSP_INLINE void run(const T* a, T* xr, T* xi) {
        const T s02 = a[0] + a[2], s13 = a[1] + a[3];
        xr[0] = s02 + s13;
        xr[1] = a[0] - a[2];
        xi[1] = a[3] - a[1];
        xr[2] = s02 - s13;
        xi[0] = xi[2] = T{};
    }
};

template <>
struct RealButterfly<5> {
    template <class T>
    static DSP_INLINE void run(const T* a, T* xr, T* xi) {
        const T t1 = a[1] + a[4], t2 = a[2] + a[3];
        const T t3 = a[1] - a[4], t4 = a[3] - a[2];
        const T t5 = t1 + t2;
        xr[0] = a[0] + t5;
        xi[0] = T{};
        const T s1 = xr[0] + kC51 * t5;
        const T m2 = kC52 * (t1 - t2);
        const T m3 = kC53 * (t3 + t4);
        xr[1] = s1 + m2;
        xi[1] = m3 - kC54 * t4;
        xr[2] = s1 - m2;
        xi[2] = m3 + kC55 * t3;
    }
};

template <>
struct RealButterfly<8> {
    template <class T>
    static DSP_INLINE void run(const T* a, T* xr, T* xi) {
        const T e[4] = {a[0], a[2], a[4], a[6]}, o[4] = {a[1], a[3], a[5], a[7]};
        T er[3], ei[3], orr[3], oi[3];
        RealButterfly<4>::run<T>(e, er, ei);
        RealButterfly<4>::run<T>(o, orr, oi);
        const T wr = kSqrtHalf * (orr[1] + oi[1]), wi = kSqrtHalf * (oi[1] - orr[1]);
        xr[0] = er[0] + orr[0];
        xr[4] = er[0] - orr[0];
        xr[1] = er[1] + wr;
        xi[1] = ei[1] + wi;
        xr[2] = er[2];
        xi[2] = -orr[2];
        xr[3] = er[1] - wr;
        xi[3] = wi - ei[1];
        xi[0] = xi[4] = T{};
    }
};

template <>
struct RealButterfly<10> {
    template <class T>
    static DSP_INLINE void run(const T* a, T* xr, T* xi) {
        const T ea[5] = {a[0], a[2], a[4], a[6], a[8]}, eb[5] = {a[5], a[7], a[9], a[1], a[3]};
        T ar[3], ai[3], br[3], bi[3];
        RealButterfly<5>::run<T>(ea, ar, ai);
        RealButterfly<5>::run<T>(eb, br, bi);
        // Bins of the two five-point parts k2 = 0..2 (3 and 4 are conjugates of 2 and 1).
        xr[0] = ar[0] + br[0];
        xr[5] = ar[0] - br[0];
        xr[1] = ar[1] - br[1];
        xi[1] = ai[1] - bi[1];
        xr[2] = ar[2] + br[2];
        xi[2] = ai[2] + bi[2];
        xr[3] = ar[2] - br[2];
        xi[3] = bi[2] - ai[2];
        xr[4] = ar[1] + br[1];
        xi[4] = -(ai[1] + bi[1]);
        xi[0] = xi[5] = T{};
    }
};

}  // namespace dsp::detail
