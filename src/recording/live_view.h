// What the desktop program draws while a recording runs: the last seconds of every channel,
// each drawing column reduced to its lowest and highest sample, and the Welch noise PSD of
// everything recorded so far, brought up to date once per minute of data.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "analysis/digitizer/stream_spectra.h"

namespace recording {

struct Strip {
    std::vector<double> seconds;                 // per column, before the last sample (<= 0)
    std::vector<std::vector<double>> low, high;  // per channel and column
};

class LiveView {
  public:
    // The strip keeps at most kMaxStripSamples per channel, whatever the seconds asked.
    static constexpr std::size_t kMaxStripSamples = std::size_t{1} << 21;
    static constexpr double kPsdEverySeconds = 60.0;

    LiveView(int channels, double rate, double strip_seconds, int segment, int window_index);

    // Frames of every channel's sample in turn, as recorded.
    void add(std::span<const std::int32_t> frames);
    // The stream broke: the strip goes on, the PSD's segments start afresh.
    void gap();

    int channels() const { return channels_; }
    // The last strip seconds in at most `columns` columns, oldest first.
    Strip strip(int columns) const;
    // Whether another minute of data came since the PSD was last taken (and takes it).
    bool psd_due();
    // Channel c's PSD so far, counts²/Hz per bin; empty before one segment is whole.
    std::vector<double> psd(int c) const { return spectra_.spectra().psd(c); }
    double bin_width() const { return spectra_.spectra().bin_width(); }

  private:
    int channels_;
    double rate_;
    std::size_t capacity_;
    std::vector<std::vector<std::int32_t>> ring_;
    std::size_t next_ = 0, held_ = 0;
    std::int64_t frames_ = 0, psd_at_ = 0;
    analysis::digitizer::StreamSpectra spectra_;
};

}  // namespace recording
