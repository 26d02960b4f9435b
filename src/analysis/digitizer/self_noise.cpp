#include "analysis/digitizer/self_noise.h"

#include <algorithm>
#include <cmath>

#include "analysis/digitizer/octave_smoothing.h"

namespace analysis::digitizer {

std::vector<std::complex<double>> cross_curve(const CrossSpectra& p, int i, int j, int fraction) {
    std::vector<double> re(static_cast<std::size_t>(p.bins())), im(re.size());
    for (int k = 0; k < p.bins(); ++k) {
        const std::complex<double> v = p.cross(i, j, k);
        re[k] = v.real();
        im[k] = v.imag();
    }
    re = smooth_octave(re, fraction);
    im = smooth_octave(im, fraction);
    std::vector<std::complex<double>> out(re.size());
    for (std::size_t k = 0; k < out.size(); ++k) out[k] = {re[k], im[k]};
    return out;
}

std::vector<double> three_channel_noise(const CrossSpectra& p, int a, int b, int c, int fraction) {
    const auto aa = cross_curve(p, a, a, fraction), ba = cross_curve(p, b, a, fraction),
               ac = cross_curve(p, a, c, fraction), bc = cross_curve(p, b, c, fraction);
    std::vector<double> n(aa.size());
    for (std::size_t k = 0; k < n.size(); ++k) {
        n[k] = aa[k].real();
        // No common input seen: all of P_aa is a's own.
        if (std::abs(bc[k]) > 0.0) n[k] -= (ba[k] * ac[k] / bc[k]).real();
    }
    return n;
}

std::vector<double> two_channel_noise(const CrossSpectra& p, int a, int b, int fraction) {
    const auto aa = cross_curve(p, a, a, fraction), ab = cross_curve(p, a, b, fraction);
    std::vector<double> n(aa.size());
    for (std::size_t k = 0; k < n.size(); ++k) n[k] = aa[k].real() - std::abs(ab[k]);
    return n;
}

int non_positive_bins(const std::vector<double>& psd, int first, int last) {
    int count = 0;
    for (int k = std::max(first, 0); k <= last && k < static_cast<int>(psd.size()); ++k)
        count += psd[k] <= 0.0;
    return count;
}

namespace {

// A cross-spectral peak this far above the median magnitude is a tone (20 dB in power).
constexpr double kToneOverMedian = 100.0;

// Numerator and denominator of H_b / H_a at one bin.
std::pair<std::complex<double>, std::complex<double>> ratio_terms(const CrossSpectra& p, int a,
                                                                  int b, int c, int k) {
    if (c >= 0) return {p.cross(c, b, k), p.cross(c, a, k)};
    return {p.cross(a, b, k), p.cross(a, a, k)};
}

}  // namespace

std::vector<std::complex<double>> relative_response(const CrossSpectra& p, int a, int b, int c) {
    std::vector<std::complex<double>> h(static_cast<std::size_t>(p.bins()));
    for (int k = 0; k < p.bins(); ++k) {
        const auto [num, den] = ratio_terms(p, a, b, c, k);
        h[k] = std::abs(den) > 0.0 ? num / den : std::complex<double>{};
    }
    return h;
}

ToneResponse tone_response(const CrossSpectra& p, int a, int b, int c, int first, int last,
                           int half_width) {
    ToneResponse t;
    last = std::min(last, p.bins() - 1);
    first = std::max(first, 0);
    if (last < first) return t;
    std::vector<double> magnitude;
    for (int k = first; k <= last; ++k) magnitude.push_back(std::abs(p.cross(a, b, k)));
    const auto peak = std::max_element(magnitude.begin(), magnitude.end());
    const int bin = first + static_cast<int>(peak - magnitude.begin());
    const double top = *peak;
    const auto mid = magnitude.begin() + static_cast<std::ptrdiff_t>(magnitude.size() / 2);
    std::nth_element(magnitude.begin(), mid, magnitude.end());
    if (!(top > kToneOverMedian * *mid)) return t;
    t.bin = bin;
    std::complex<double> num, den;
    for (int k = std::max(0, t.bin - half_width); k <= std::min(p.bins() - 1, t.bin + half_width);
         ++k) {
        const auto [n, d] = ratio_terms(p, a, b, c, k);
        num += n;
        den += d;
    }
    t.ratio = std::abs(den) > 0.0 ? num / den : std::complex<double>{};
    return t;
}

}  // namespace analysis::digitizer
