// Noise over time, as seismic networks judge a station's noise (McNamara and Buland, 2004): the
// PSD of consecutive windows (one hour, half overlapped), each averaged over octaves at 1/8-
// octave steps, and per frequency the distribution of the windows' noise densities.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace analysis::digitizer {

struct PpsdSettings {
    double rate = 1.0;  // samples per second
    double window_seconds = 3600.0;
    double overlap = 50.0;  // percent of a window shared with the next
    int segment = 16384;    // Welch segment within a window
    int window_index = 1;   // the analysis windows
    double volts_per_code = 1.0;
};

struct Ppsd {
    std::vector<double> frequencies;   // Hz, descending from the top by 1/8 octave
    std::vector<double> p5, p50, p95;  // noise density, nV/√Hz, per frequency
    // Per window: its first sample's index and the noise density at each frequency.
    std::vector<std::int64_t> window_starts;
    std::vector<std::vector<double>> spectrogram;
};

// The same built a window at a time, for data too long to hold: each window's densities as it
// comes, the percentiles at the end.
class PpsdBuilder {
  public:
    explicit PpsdBuilder(const PpsdSettings& settings);
    // Samples per window, and from one window's start to the next's.
    std::size_t window() const { return window_; }
    std::size_t step() const { return step_; }
    // One window of window() samples; start is what window_starts keeps for it.
    void add_window(std::span<const std::int32_t> samples, std::int64_t start);
    Ppsd finish();

  private:
    PpsdSettings s_;
    std::size_t window_, step_;
    double df_ = 0.0;
    int first_ = 1, bins_ = 0;
    Ppsd out_;
};

// Empty (no frequencies) when the samples hold no whole window.
Ppsd probabilistic_psd(std::span<const std::int32_t> samples, const PpsdSettings& settings);

}  // namespace analysis::digitizer
