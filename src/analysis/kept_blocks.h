// Every block of the last capture run (or the one loaded), channel by channel: the Welch
// estimates average over all of them, where the averaged spectra keep only their sum. Capped,
// so that a long averaging run cannot take the machine's memory: past the cap, later blocks are
// counted but not kept.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace analysis {

class KeptBlocks {
  public:
    // 32 Mi samples (128 MiB): 32 full four-channel blocks of 2^18 records.
    static constexpr std::size_t kMaxSamples = std::size_t{1} << 25;

    void clear();
    // One block: each channel's samples (all channels of one block have the same count).
    void add(std::span<const std::span<const std::int32_t>> channels);

    int channels() const { return channels_; }
    int kept() const { return static_cast<int>(blocks_.size()); }
    int seen() const { return seen_; }
    // Channel c of kept block b.
    std::span<const std::int32_t> channel(int b, int c) const;
    // Changes with every clear and add, so results computed from the blocks know when they
    // are stale.
    std::uint64_t generation() const { return generation_; }

  private:
    std::vector<std::vector<std::vector<std::int32_t>>> blocks_;
    std::size_t samples_ = 0;
    int channels_ = 0;
    int seen_ = 0;
    std::uint64_t generation_ = 0;
};

}  // namespace analysis
