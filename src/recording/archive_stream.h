// A recorded archive (or one miniSEED file) read from start to end a chunk at a time, its
// channels side by side, so that hours of data pass through a computation without ever being
// held whole. A break in the data ends a stretch; the next chunk says it starts a new one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/status.h"
#include "recording/mseed_reader.h"

namespace recording {

struct Chunk {
    std::int64_t start_us = 0;  // time of the chunk's first sample
    bool after_gap = false;     // the data broke before this chunk; it starts a new stretch
    std::vector<std::vector<std::int32_t>> samples;  // per channel, all of one length
    std::size_t length() const { return samples.empty() ? 0 : samples.front().size(); }
};

class ArchiveStream {
  public:
    ArchiveStream();
    ~ArchiveStream();
    ArchiveStream(const ArchiveStream&) = delete;
    ArchiveStream& operator=(const ArchiveStream&) = delete;

    // The request's channels (every one found when none is listed) and window; max_samples is
    // not used. BadInput when the path holds none of them or they run at different rates,
    // FileError when it cannot be read.
    core::Status open(const std::string& path, const ReadRequest& request);
    double rate() const { return rate_; }
    const std::vector<std::string>& channels() const { return channels_; }
    // Up to n samples of every channel, contiguous with the previous chunk unless after_gap
    // is set; an empty chunk at the end. BadInput when a file turns out not to be miniSEED.
    core::Status next(std::size_t n, Chunk* out);
    // The breaks passed so far: the time the data stopped and the time they went on.
    const std::vector<Gap>& gaps() const { return gaps_; }

  private:
    struct Channel;
    bool fill(Channel& c, std::size_t n, core::Status* s);
    std::int64_t time_of(const Channel& c, std::size_t index) const;

    std::vector<std::unique_ptr<Channel>> streams_;
    std::vector<std::string> channels_;
    double rate_ = 0.0;
    std::int64_t start_us_ = 0, end_us_ = 0;
    bool after_gap_ = false;
    std::vector<Gap> gaps_;
};

}  // namespace recording
