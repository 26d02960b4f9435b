#include "analysis/kept_blocks.h"

namespace analysis {

void KeptBlocks::clear() {
    blocks_.clear();
    samples_ = 0;
    channels_ = 0;
    seen_ = 0;
    ++generation_;
}

void KeptBlocks::add(std::span<const std::span<const std::int32_t>> channels) {
    ++generation_;
    ++seen_;
    std::size_t size = 0;
    for (const auto& c : channels) size += c.size();
    // A block of another channel count than the first cannot be averaged with it.
    if (channels.empty() || (!blocks_.empty() && static_cast<int>(channels.size()) != channels_) ||
        samples_ + size > kMaxSamples)
        return;
    channels_ = static_cast<int>(channels.size());
    auto& block = blocks_.emplace_back();
    for (const auto& c : channels) block.emplace_back(c.begin(), c.end());
    samples_ += size;
}

std::span<const std::int32_t> KeptBlocks::channel(int b, int c) const {
    if (b < 0 || b >= kept() || c < 0 || c >= channels_) return {};
    return blocks_[b][c];
}

}  // namespace analysis
