// A recording: the board's record stream for as long as asked (or until stopped), each
// channel's samples into its miniSEED writer, time-stamped from the host's clock at the
// stream's start plus the sample index over the word rate. When records are lost or arrive out
// of turn the stream is started again at a new time: a gap, said where, never shifted samples.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "boardlink/transport/port.h"
#include "core/status.h"
#include "recording/mseed_reader.h"
#include "recording/seed_names.h"

namespace recording {

struct RecordRequest {
    std::string out;                // the archive's folder
    StreamNames names;              // one channel code per channel
    int channels = 1;               // 1, 2 or 4, as configured
    double rate = 0.0;              // words per second per channel, as configured
    double seconds = 0.0;           // 0: until stopped
    std::int64_t utc_start_us = 0;  // the host's UTC time when the clock read clock_start
    double clock_start = 0.0;
};

struct RecordProgress {
    double seconds = 0.0;  // of data recorded, per channel
    std::int64_t bytes = 0;
    std::size_t gaps = 0;
    // The frames recorded since the last call (every channel's sample in turn), and whether a
    // break in the stream came before them.
    std::span<const std::int32_t> frames;
    bool after_gap = false;
};

struct RecordOutcome {
    core::Status status;
    std::int64_t first_sample_us = 0;  // the time of the first sample recorded
    std::int64_t frames = 0;           // samples per channel
    std::int64_t bytes = 0;
    bool stopped = false;  // ended by a stop, not by the time asked
    std::vector<Gap> gaps;
    std::vector<std::string> files;
};

using ProgressSink = std::function<void(const RecordProgress&)>;

RecordOutcome record(boardlink::Port& port, const RecordRequest& request,
                     const ProgressSink& progress = nullptr);

}  // namespace recording
