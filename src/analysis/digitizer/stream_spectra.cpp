#include "analysis/digitizer/stream_spectra.h"

#include <algorithm>

namespace analysis::digitizer {

StreamSpectra::StreamSpectra(const WelchSettings& settings, int channels)
    : segment_(std::max(2, settings.segment)),
      spectra_(settings, channels),
      carry_(static_cast<std::size_t>(channels)) {}

void StreamSpectra::add(std::span<const std::span<const std::int32_t>> piece) {
    if (piece.size() != carry_.size()) return;
    for (std::size_t c = 0; c < carry_.size(); ++c)
        carry_[c].insert(carry_[c].end(), piece[c].begin(), piece[c].end());
    feed(false);
}

void StreamSpectra::add_frames(std::span<const std::int32_t> frames) {
    const std::size_t channels = carry_.size();
    for (std::size_t i = 0; i + channels <= frames.size(); i += channels)
        for (std::size_t c = 0; c < channels; ++c) carry_[c].push_back(frames[i + c]);
    feed(false);
}

void StreamSpectra::gap() {
    for (auto& c : carry_) c.clear();
}

void StreamSpectra::finish() {
    if (spectra_.segments() == 0) feed(true);
}

void StreamSpectra::feed(bool all) {
    const std::size_t n = carry_.front().size();
    if (n < 2 || (!all && n < static_cast<std::size_t>(segment_))) return;
    std::vector<std::span<const std::int32_t>> block(carry_.begin(), carry_.end());
    spectra_.add_block(block);
    const auto length = static_cast<std::size_t>(spectra_.segment_length());
    const auto step = static_cast<std::size_t>(spectra_.step());
    if (length == 0 || step == 0) return;
    // Drop the samples no later segment starts in.
    const std::size_t used = n < length ? n : ((n - length) / step + 1) * step;
    for (auto& c : carry_) c.erase(c.begin(), c.begin() + static_cast<std::ptrdiff_t>(used));
}

}  // namespace analysis::digitizer
