// Recorded miniSEED read back: one file, or the streams of an SDS archive within a time window,
// as contiguous integer samples per channel, up to a capacity.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/status.h"
#include "recording/utc_time.h"

namespace recording {

// A break in recorded data.
struct Gap {
    std::int64_t from_us = 0;  // the time of the sample that did not come
    std::int64_t to_us = 0;    // the time of the first sample after the break
};

struct ReadRequest {
    std::vector<std::string> channels;  // channel codes; empty: every channel found, sorted
    std::int64_t start_us = 0;          // 0: from the first sample
    std::int64_t end_us = 0;            // 0: to the last
    std::size_t max_samples = 0;        // per channel; 0: no limit
    bool operator==(const ReadRequest&) const = default;
};

struct ReadStreams {
    double rate = 0.0;
    std::int64_t start_us = 0;  // time of every channel's first sample
    std::vector<std::string> channels;
    std::vector<std::vector<std::int32_t>> samples;  // per channel, all of the same length
    bool cut_at_gap = false;                         // the data stopped at a gap inside the window
    std::int64_t gap_at_us = 0;                      // where
    bool cut_at_capacity = false;                    // more data than max_samples lay in the window
};

// The channel code of an SDS day file's name (NET.STA.LOC.CHAN.D.YEAR.DAY), empty otherwise.
std::string sds_channel(const std::string& file_name);

// Where a window's edge cuts a stretch whose first sample lies at start_us: the samples
// before the edge, so a window holds the samples from its start up to, not including, its end.
// Read-back times keep 100 µs, so a sample that close to an edge (never nearer than a quarter
// period) lies at it.
std::size_t samples_before(std::int64_t edge_us, std::int64_t start_us, double rate);

// BadInput for a file libmseed could not read, with its reason.
core::Status not_miniseed(const std::string& file, const char* reason);

// The files to read: the path itself when it is a file, else the day files of the listed
// channels (every channel when none is) found under the folder, in time order per channel.
// FileError when the path does not exist.
core::Status miniseed_files(const std::string& path, const std::vector<std::string>& channels,
                            std::vector<std::string>* files);

// A file, or a folder searched for day files (NET.STA.LOC.CHAN.D.YEAR.DAY). BadInput when
// nothing of the asked channels lies in the window, when the channels' rates or start times
// differ, or when a file is no miniSEED; FileError when it cannot be read.
core::Status read_streams(const std::string& path, const ReadRequest& request, ReadStreams* out);

}  // namespace recording
