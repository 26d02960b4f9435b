// Vector type and code-generation hints shared by the transforms.
#pragma once

namespace dsp::detail {

#if defined(__GNUC__)
#define DSP_INLINE inline __attribute__((always_inline))
#else
#define DSP_INLINE inline
#endif

// Loops whose iterations touch disjoint elements of the same arrays (for GCC's vectoriser; Clang
// would warn about every loop it then still leaves alone).
#if defined(__GNUC__) && !defined(__clang__)
#define DSP_INDEPENDENT_ITERATIONS _Pragma("GCC ivdep")
#else
#define DSP_INDEPENDENT_ITERATIONS
#endif

// Hot functions are compiled twice, for the baseline instruction set and for AVX, whose
// three-operand encoding saves the register copies of SSE2 (no fused multiply-add: both
// versions round alike); the loader picks the one the processor can run. cpu_has_avx() tells
// code that has a four-lane variant, worth having only with AVX, to use it. Needs GCC and the
// GNU ifunc mechanism; elsewhere there is just the baseline. ThreadSanitizer cannot run the
// selection code, which runs before it is set up.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__) && \
    !defined(__SANITIZE_THREAD__)
#define DSP_MULTIVERSION __attribute__((target_clones("avx", "default")))
inline bool cpu_has_avx() {
    static const bool has = __builtin_cpu_supports("avx");
    return has;
}
#else
#define DSP_MULTIVERSION
inline bool cpu_has_avx() {
    return false;
}
#endif

// Vectors of W doubles, GCC/Clang vector types: SSE2 or AVX on x86-64, NEON on ARM, plain code
// elsewhere. `value` for values and local arrays; `mem` to reach caller-owned arrays of
// doubles: any 8-byte alignment, may alias double. Templates take the width W, never one of
// these types: a type passed as a template argument loses its alignment and aliasing
// attributes.
template <int W>
struct Vec;

template <>
struct Vec<1> {
    using value = double;
    using mem = double;
};

template <>
struct Vec<2> {
    typedef double value __attribute__((vector_size(16)));
    typedef double mem __attribute__((vector_size(16), aligned(8), may_alias));
};

template <>
struct Vec<4> {
    typedef double value __attribute__((vector_size(32)));
    typedef double mem __attribute__((vector_size(32), aligned(8), may_alias));
};

// Two doubles handled as one value: the real transforms run two independent half-length
// transforms side by side in the lanes.
using Lanes = Vec<2>::mem;

// Four doubles, for code that runs only where cpu_has_avx() (one 256-bit operation; elsewhere
// the compiler's emulation is far slower than two-double code).
using Quads = Vec<4>::mem;

DSP_INLINE Lanes low_lanes(const Quads& v) {
    return Lanes{v[0], v[1]};
}
DSP_INLINE Lanes high_lanes(const Quads& v) {
    return Lanes{v[2], v[3]};
}

DSP_INLINE Lanes load_lanes(const double* p) {
    return *reinterpret_cast<const Lanes*>(p);
}
DSP_INLINE void store_lanes(double* p, Lanes v) {
    *reinterpret_cast<Lanes*>(p) = v;
}
DSP_INLINE Lanes swap_lanes(Lanes v) {
    return Lanes{v[1], v[0]};
}

}  // namespace dsp::detail
