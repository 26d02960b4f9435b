#include "analysis/digitizer/cross_spectra.h"

#include <algorithm>
#include <cmath>

#include "analysis/spectrum/windows.h"
#include "dsp/dsp.h"

namespace analysis::digitizer {

CrossSpectra::CrossSpectra(const WelchSettings& settings, int channels)
    : settings_(settings), channels_(std::clamp(channels, 1, 4)) {
    settings_.overlap = std::clamp(settings_.overlap, 0.0, 95.0);
    sums_.resize(static_cast<std::size_t>(channels_ * (channels_ + 1) / 2));
    spectra_.resize(static_cast<std::size_t>(channels_));
}

int CrossSpectra::pair(int i, int j) const {
    if (i > j) std::swap(i, j);
    // Row i of the upper triangle starts after the rows above it.
    return i * channels_ - i * (i - 1) / 2 + (j - i);
}

bool CrossSpectra::add_block(std::span<const std::span<const std::int32_t>> block) {
    if (static_cast<int>(block.size()) != channels_) return false;
    const std::size_t n = block[0].size();
    for (const auto& c : block)
        if (c.size() != n) return false;
    if (n < 2) return false;
    if (length_ == 0) {
        length_ = static_cast<int>(std::min<std::size_t>(n, std::max(2, settings_.segment)));
        step_ = std::max(
            1, length_ - static_cast<int>(std::lround(length_ * settings_.overlap / 100.0)));
        window_ = spectrum::window_coefficients(settings_.window_index, length_);
        double energy = 0.0;
        for (int i = 0; i < length_; ++i) energy += window_.empty() ? 1.0 : window_[i] * window_[i];
        scale_ = 2.0 / (settings_.fs * energy);
        first_clean_ = spectrum::window_terms(settings_.window_index);
        for (auto& s : sums_) s.assign(static_cast<std::size_t>(bins()), {});
        for (auto& s : spectra_) s.resize(static_cast<std::size_t>(bins()));
        work_re_.resize(static_cast<std::size_t>(length_));
        work_im_.resize(static_cast<std::size_t>(length_));
    }
    if (n < static_cast<std::size_t>(length_)) return false;
    const int nb = bins();
    const double* w = window_.empty() ? nullptr : window_.data();
    for (std::size_t start = 0; start + length_ <= n; start += step_) {
        for (int c = 0; c < channels_; ++c) {
            double* h = nullptr;
            dsp::WindowedHalfComplexReFFT(block[c].data() + start, w, work_re_.data(),
                                          work_im_.data(), length_, &h);
            auto& x = spectra_[c];
            x[0] = {h[0], 0.0};
            for (int k = 1; k < nb; ++k) x[k] = {h[k], 2 * k < length_ ? h[length_ - k] : 0.0};
        }
        for (int i = 0; i < channels_; ++i) {
            for (int j = i; j < channels_; ++j) {
                auto& sum = sums_[static_cast<std::size_t>(pair(i, j))];
                const auto& xi = spectra_[i];
                const auto& xj = spectra_[j];
                for (int k = 0; k < nb; ++k) sum[k] += std::conj(xi[k]) * xj[k];
            }
        }
        ++segments_;
    }
    return true;
}

std::vector<double> CrossSpectra::psd(int channel) const {
    std::vector<double> p;
    if (segments_ == 0 || channel < 0 || channel >= channels_) return p;
    const auto& sum = sums_[static_cast<std::size_t>(pair(channel, channel))];
    p.resize(sum.size());
    for (std::size_t k = 0; k < sum.size(); ++k) p[k] = sum[k].real() * scale_ / segments_;
    p[0] /= 2.0;
    if (length_ % 2 == 0) p.back() /= 2.0;
    return p;
}

std::complex<double> CrossSpectra::cross(int i, int j, int bin) const {
    if (segments_ == 0 || i < 0 || j < 0 || i >= channels_ || j >= channels_ || bin < 0 ||
        bin >= bins())
        return {};
    std::complex<double> v = sums_[static_cast<std::size_t>(pair(i, j))][bin];
    if (i > j) v = std::conj(v);
    v *= scale_ / segments_;
    if (bin == 0 || (length_ % 2 == 0 && bin == length_ / 2)) v /= 2.0;
    return v;
}

}  // namespace analysis::digitizer
