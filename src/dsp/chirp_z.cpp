#include "dsp/chirp_z.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "dsp/dsp.h"
#include "dsp/fft_buffer.h"
#include "dsp/mixed_passes.h"
#include "dsp/plan_cache.h"
#include "dsp/unit_root.h"

namespace dsp::detail {

namespace {

// Longest convolution handled: m = 2^30 points.
constexpr int kMaxLog2Conv = 30;

// The chirp w[i] = e^(-j pi i^2/n) and the transform of the kernel h, kept per length.
class ChirpPlan {
  public:
    static std::shared_ptr<const ChirpPlan> build(int n) {
        const int log2m = std::bit_width(static_cast<unsigned>(n)) - 1 + 2;
        if (log2m > kMaxLog2Conv) return nullptr;
        try {
            auto plan = std::make_shared<ChirpPlan>();
            plan->fill(n, 1 << log2m);
            return plan;
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    std::size_t bytes() const {
        return (w_re_.capacity() + w_im_.capacity() + h_re_.capacity() + h_im_.capacity()) *
               sizeof(double);
    }

    int m() const { return m_; }
    const MixedPlan& conv() const { return *conv_; }
    const double* w_re() const { return w_re_.data(); }
    const double* w_im() const { return w_im_.data(); }
    const double* h_re() const { return h_re_.data(); }
    const double* h_im() const { return h_im_.data(); }

  private:
    // e^(+j pi t^2/n) as (cos, sin); t^2 is reduced modulo 2n exactly.
    static void chirp(std::uint64_t t, int n, double* c, double* s) {
        const std::uint64_t period = 2 * static_cast<std::uint64_t>(n);
        t %= period;
        unit_root(t * t % period, period, c, s);
    }

    void fill(int n, int m) {
        m_ = m;
        conv_ = mixed_plan(m);
        if (!conv_) throw std::bad_alloc();
        w_re_.resize(n);
        w_im_.resize(n);
        for (int i = 0; i < n; ++i) {
            double c, s;
            chirp(i, n, &c, &s);
            w_re_[i] = c;
            w_im_[i] = -s;
        }
        // Kernel h[i] = e^(+j pi i^2/n) for i < n, e^(+j pi (m-i)^2/n) above. Its transform is
        // kept in the digit-reversed order in which the data's transform comes out, scaled by
        // 1/m for the inverse.
        h_re_.resize(m);
        h_im_.resize(m);
        for (int i = 0; i < m; ++i) chirp(i < n ? i : m - i, n, &h_re_[i], &h_im_[i]);
        if (!mixfft_dif_passes(*conv_, h_re_.data(), h_im_.data())) throw std::bad_alloc();
        const double scale = 1.0 / m;
        for (int i = 0; i < m; ++i) {
            h_re_[i] *= scale;
            h_im_[i] *= scale;
        }
    }

    int m_ = 0;
    std::shared_ptr<const MixedPlan> conv_;
    std::vector<double> w_re_, w_im_, h_re_, h_im_;
};

std::shared_ptr<const ChirpPlan> chirp_plan(int n) {
    static PlanCache<ChirpPlan> cache(2, std::size_t{256} << 20);
    return cache.get(n);
}

}  // namespace

int Chirp_Z(const double* xr, const double* xi, double* out_re, double* out_im, int n) {
    const auto plan = chirp_plan(n);
    if (!plan) return kOutOfMemory;
    const int m = plan->m();
    const MixedPlan& conv = plan->conv();
    std::unique_ptr<double[]> temp(new (std::nothrow) double[2 * static_cast<std::size_t>(m)]);
    const FFTBufferLease work;
    if (!temp || work.get() == nullptr) return kOutOfMemory;
    double* ar = temp.get();
    double* ai = ar + m;
    const double* wr = plan->w_re();
    const double* wi = plan->w_im();
    const double* hr = plan->h_re();
    const double* hi = plan->h_im();

    // a = x w, zero-padded to m.
    for (int i = 0; i < n; ++i) {
        if (xi == nullptr) {
            ar[i] = xr[i] * wr[i];
            ai[i] = xr[i] * wi[i];
        } else {
            ar[i] = xr[i] * wr[i] - xi[i] * wi[i];
            ai[i] = xr[i] * wi[i] + xi[i] * wr[i];
        }
    }
    std::fill(ar + n, ar + m, 0.0);
    std::fill(ai + n, ai + m, 0.0);

    // Its transform comes out in digit-reversed order, which is the order the kernel's is kept
    // in and the order the inverse transform takes: no reordering anywhere. The inverse is the
    // forward transform on exchanged real and imaginary parts.
    mixfft_dif_passes(conv, ar, ai);
    for (int k = 0; k < m; ++k) {
        const double re = ar[k] * hr[k] - ai[k] * hi[k];
        const double im = ar[k] * hi[k] + ai[k] * hr[k];
        ar[k] = im;
        ai[k] = re;
    }
    mixfft_passes(conv, ar, ai, work.get());

    const int outputs = xi == nullptr ? n / 2 + 1 : n;
    for (int k = 0; k < outputs; ++k) {
        out_re[k] = ai[k] * wr[k] - ar[k] * wi[k];
        out_im[k] = ai[k] * wi[k] + ar[k] * wr[k];
    }
    if (xi == nullptr) {
        // A real input has a conjugate-symmetric transform: mirror it exactly.
        out_im[0] = 0.0;
        if (n % 2 == 0) out_im[n / 2] = 0.0;
        for (int k = 1; 2 * k < n; ++k) {
            out_re[n - k] = out_re[k];
            out_im[n - k] = -out_im[k];
        }
    }
    return 0;
}

}  // namespace dsp::detail
