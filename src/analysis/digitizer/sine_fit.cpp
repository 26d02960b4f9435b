#include "analysis/digitizer/sine_fit.h"

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/spectrum/windows.h"
#include "dsp/dsp.h"

namespace analysis::digitizer {

namespace {

constexpr int kMaxIterations = 50;

using Matrix4 = std::array<std::array<double, 5>, 4>;  // augmented

// Gaussian elimination with partial pivoting on an m x m system; false when singular.
bool solve(Matrix4& a, int m, std::array<double, 4>& out) {
    for (int col = 0; col < m; ++col) {
        int pivot = col;
        for (int r = col + 1; r < m; ++r)
            if (std::abs(a[r][col]) > std::abs(a[pivot][col])) pivot = r;
        if (std::abs(a[pivot][col]) < 1e-300) return false;
        std::swap(a[col], a[pivot]);
        for (int r = col + 1; r < m; ++r) {
            const double f = a[r][col] / a[col][col];
            for (int c = col; c <= m; ++c) a[r][c] -= f * a[col][c];
        }
    }
    for (int r = m - 1; r >= 0; --r) {
        double s = a[r][m];
        for (int c = r + 1; c < m; ++c) s -= a[r][c] * out[c];
        out[r] = s / a[r][r];
    }
    return true;
}

// Time measured from the middle of the record keeps the frequency column small and the
// normal equations well conditioned.
double centre(std::span<const double> x) {
    return (static_cast<double>(x.size()) - 1.0) / 2.0;
}

// One least-squares step: the columns cos, sin, 1 and, with m = 4, the derivative by ω.
bool least_squares(std::span<const double> x, double w, double a, double b, int m,
                   std::array<double, 4>& p) {
    Matrix4 ne{};
    const double t0 = centre(x);
    for (std::size_t n = 0; n < x.size(); ++n) {
        const double t = static_cast<double>(n) - t0;
        const double c = std::cos(w * t), s = std::sin(w * t);
        const std::array<double, 4> col = {c, s, 1.0, t * (b * c - a * s)};
        for (int i = 0; i < m; ++i) {
            for (int j = i; j < m; ++j) ne[i][j] += col[i] * col[j];
            ne[i][m] += col[i] * x[n];
        }
    }
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < i; ++j) ne[i][j] = ne[j][i];
    return solve(ne, m, p);
}

SineFit finish(std::span<const double> x, double w, double a, double b, double c) {
    SineFit f;
    const double t0 = centre(x);
    double sq = 0.0;
    for (std::size_t n = 0; n < x.size(); ++n) {
        const double t = static_cast<double>(n) - t0;
        const double e = x[n] - (a * std::cos(w * t) + b * std::sin(w * t) + c);
        sq += e * e;
    }
    f.amplitude = std::hypot(a, b);
    f.frequency = w / (2.0 * std::numbers::pi);
    // a cos(wt) + b sin(wt) = A cos(wt - atan2(b, a)), with t = n - t0.
    f.phase = std::remainder(-std::atan2(b, a) - w * t0, 2.0 * std::numbers::pi);
    f.offset = c;
    f.residual_rms = x.empty() ? 0.0 : std::sqrt(sq / static_cast<double>(x.size()));
    return f;
}

}  // namespace

std::optional<double> peak_frequency(std::span<const double> x) {
    const int n = static_cast<int>(x.size());
    if (n < 16) return std::nullopt;
    const int window = spectrum::kWindowBlackmanHarris;
    const std::vector<double> w = spectrum::window_coefficients(window, n);
    std::vector<double> re(x.size()), im(x.size());
    for (int i = 0; i < n; ++i) re[i] = x[i] * w[i];
    if (dsp::ReFFT(re.data(), im.data(), n) != 0) return std::nullopt;
    const int first = spectrum::window_terms(window);
    int peak = -1;
    double best = 0.0;
    std::vector<double> p(static_cast<std::size_t>(n / 2 + 1));
    for (int k = 0; k <= n / 2; ++k) p[k] = re[k] * re[k] + im[k] * im[k];
    for (int k = first; k < n / 2; ++k)
        if (p[k] > best) best = p[k], peak = k;
    if (peak < 0) return std::nullopt;
    const double l = std::log(p[peak - 1] + 1e-300), c = std::log(p[peak]),
                 r = std::log(p[peak + 1] + 1e-300);
    const double d = l - 2.0 * c + r;
    const double shift = d < 0.0 ? 0.5 * (l - r) / d : 0.0;
    return (peak + shift) / n;
}

SineFit fit_sine3(std::span<const double> x, double frequency) {
    const double w = 2.0 * std::numbers::pi * frequency;
    std::array<double, 4> p{};
    if (!least_squares(x, w, 0.0, 0.0, 3, p)) return finish(x, w, 0.0, 0.0, 0.0);
    SineFit f = finish(x, w, p[0], p[1], p[2]);
    f.iterations = 1;
    return f;
}

std::optional<SineFit> fit_sine4(std::span<const double> x, double start) {
    if (x.size() < 4 || !(start > 0.0 && start < 0.5)) return std::nullopt;
    double w = 2.0 * std::numbers::pi * start;
    std::array<double, 4> p{};
    if (!least_squares(x, w, 0.0, 0.0, 3, p)) return std::nullopt;
    int i = 1;
    for (; i <= kMaxIterations; ++i) {
        std::array<double, 4> q{};
        if (!least_squares(x, w, p[0], p[1], 4, q)) return std::nullopt;
        w += q[3];
        p = q;
        if (!(w > 0.0 && w < std::numbers::pi)) return std::nullopt;
        if (std::abs(q[3]) < 1e-13 * w) break;
    }
    // The parameters that go with the final frequency.
    if (!least_squares(x, w, 0.0, 0.0, 3, p)) return std::nullopt;
    SineFit f = finish(x, w, p[0], p[1], p[2]);
    f.iterations = i;
    return f;
}

}  // namespace analysis::digitizer
