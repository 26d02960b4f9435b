#include "dsp/mixed_radix.h"

#include <memory>
#include <new>
#include <vector>

#include "dsp/dsp.h"
#include "dsp/fft_buffer.h"
#include "dsp/mixed_passes.h"
#include "dsp/plan_cache.h"
#include "dsp/simd.h"
#include "dsp/unit_root.h"

namespace dsp::detail {

namespace {

// Temporaries owned for the duration of one transform.
std::unique_ptr<double[]> try_alloc(std::size_t count) {
    return std::unique_ptr<double[]>(new (std::nothrow) double[count]);
}

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
    static PlanCache<RealMixedPlan> cache(8, std::size_t{128} << 20);
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
    FFTBufferLease work;
    if (!plan || work.get() == nullptr) return kOutOfMemory;
    const MixedPlan& half = plan->half();
    const Lanes* pairs = reinterpret_cast<const Lanes*>(x);
    Lanes* re = reinterpret_cast<Lanes*>(y);
    Lanes* im = reinterpret_cast<Lanes*>(x);
    half.for_each_digit_reversed([&](int pos, int src) { re[pos] = pairs[src]; });
    mixRefft_passes(half, re, im, work.get());
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

int mixRefft(double* x, double* y, int n) {
    if (n % 2 == 0) return mixRefft_even(x, y, n);
    // Odd lengths: the plain real-input transform.
    const auto plan = mixed_plan(n);
    FFTBufferLease work;
    if (!plan || work.get() == nullptr) return kOutOfMemory;
    Repermute(*plan, x, y);
    mixRefft_passes(*plan, y, x, work.get());
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
    return 0;
}

int mixfft(double* re, double* im, int n) {
    const auto plan = mixed_plan(n);
    FFTBufferLease work;
    auto copy = try_alloc(2 * static_cast<std::size_t>(n));
    if (!plan || work.get() == nullptr || !copy) return kOutOfMemory;
    double* copy_re = copy.get();
    double* copy_im = copy.get() + n;
    for (int k = 0; k < n; ++k) {
        copy_re[k] = re[k];
        copy_im[k] = im[k];
    }
    permute(*plan, copy_re, copy_im, re, im);
    mixfft_passes(*plan, re, im, work.get());
    return 0;
}

}  // namespace dsp::detail
