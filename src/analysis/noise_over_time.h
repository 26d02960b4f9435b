// Noise over time of a recorded archive: each channel's probabilistic PSD (one-hour windows,
// half overlapped, and per frequency the 5th, 50th and 95th percentiles of their noise
// density). Kept with the analysis state so the desktop plot and the report show the last one.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "analysis/digitizer/ppsd.h"
#include "core/status.h"
#include "recording/mseed_reader.h"

namespace analysis {

struct ChannelPpsd {
    std::string code;
    std::int64_t start_us = 0;  // the channel's first sample
    double rate = 0.0;
    digitizer::Ppsd ppsd;  // window_starts: the windows' first samples' times, µs
    // Breaks in the data (when it stopped, when it went on); no window spans one.
    std::vector<recording::Gap> gaps;
};

struct NoiseOverTime {
    std::string archive;
    digitizer::PpsdSettings settings;
    std::vector<ChannelPpsd> channels;
    bool empty() const { return channels.empty(); }
};

struct AnalysisState;

// The defaults, with the analysis's window and the volts of a code from its full scale.
digitizer::PpsdSettings ppsd_settings(const AnalysisState& st);

// The listed channel codes (every one the archive holds when none is) of the archive, read a
// chunk at a time, so only a window of each channel is held. BadInput or FileError, with a
// one-line reason, when it cannot be read.
core::Status noise_over_time(const std::string& path, const std::vector<std::string>& codes,
                             const digitizer::PpsdSettings& settings, NoiseOverTime* out);

}  // namespace analysis
