// Welch estimates of channels that arrive in pieces (a recording's chunks, an archive read a
// chunk at a time): the samples of segments not yet whole are kept from one piece to the next,
// so the segments tile each stretch between gaps exactly as they would tile it held whole.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "analysis/digitizer/cross_spectra.h"

namespace analysis::digitizer {

class StreamSpectra {
  public:
    StreamSpectra(const WelchSettings& settings, int channels);

    // The next samples of every channel, arrays of one length.
    void add(std::span<const std::span<const std::int32_t>> piece);
    // Frames of every channel's sample in turn.
    void add_frames(std::span<const std::int32_t> frames);
    // The stream broke: no segment spans the break.
    void gap();
    // The stream ended; when it held no whole segment, what it held is one shorter segment.
    void finish();

    const CrossSpectra& spectra() const { return spectra_; }

  private:
    void feed(bool all);

    int segment_;
    CrossSpectra spectra_;
    std::vector<std::vector<std::int32_t>> carry_;
};

}  // namespace analysis::digitizer
