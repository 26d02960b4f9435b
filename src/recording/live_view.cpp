#include "recording/live_view.h"

#include <algorithm>
#include <cmath>

namespace recording {

LiveView::LiveView(int channels, double rate, double strip_seconds, int segment, int window_index)
    : channels_(channels),
      rate_(rate),
      capacity_(std::clamp<std::size_t>(
          static_cast<std::size_t>(std::max(1.0, std::ceil(strip_seconds * rate))), 1,
          kMaxStripSamples)),
      ring_(static_cast<std::size_t>(channels), std::vector<std::int32_t>(capacity_)),
      spectra_({segment, 50.0, window_index, rate}, channels) {}

void LiveView::add(std::span<const std::int32_t> frames) {
    const auto n = static_cast<std::size_t>(channels_);
    for (std::size_t i = 0; i + n <= frames.size(); i += n) {
        for (std::size_t c = 0; c < n; ++c) ring_[c][next_] = frames[i + c];
        next_ = (next_ + 1) % capacity_;
        held_ = std::min(held_ + 1, capacity_);
        ++frames_;
    }
    spectra_.add_frames(frames);
}

void LiveView::gap() {
    spectra_.gap();
}

Strip LiveView::strip(int columns) const {
    Strip s;
    s.low.resize(ring_.size());
    s.high.resize(ring_.size());
    if (held_ == 0 || columns < 1) return s;
    const std::size_t per = (held_ + static_cast<std::size_t>(columns) - 1) / columns;
    const std::size_t oldest = (next_ + capacity_ - held_) % capacity_;
    for (std::size_t from = 0; from < held_; from += per) {
        const std::size_t to = std::min(held_, from + per);
        s.seconds.push_back(-static_cast<double>(held_ - from) / rate_);
        for (std::size_t c = 0; c < ring_.size(); ++c) {
            std::int32_t lo = INT32_MAX, hi = INT32_MIN;
            for (std::size_t i = from; i < to; ++i) {
                const std::int32_t v = ring_[c][(oldest + i) % capacity_];
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
            s.low[c].push_back(lo);
            s.high[c].push_back(hi);
        }
    }
    return s;
}

bool LiveView::psd_due() {
    const auto every = static_cast<std::int64_t>(std::llround(kPsdEverySeconds * rate_));
    if (frames_ - psd_at_ < every || spectra_.spectra().segments() == 0) return false;
    psd_at_ = frames_;
    return true;
}

}  // namespace recording
