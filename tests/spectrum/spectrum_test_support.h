// Helpers for the spectrum tests: an error list that records what plot_error would receive,
// synthetic spectra written straight into the averages, and generated test signals.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/spectrum/spectrum.h"

namespace spectrum_test {

inline constexpr std::array<int, 4> kAllOn = {1, 1, 1, 1};

class ErrorLog {
  public:
    analysis::spectrum::FftErrorReporter reporter(std::array<int, 4> enabled = kAllOn);
    // Entries as the error list shows them: code x 10 + channel number (1 ... 4).
    const std::vector<int>& entries() const { return entries_; }
    int count(int code) const;
    bool has(int code) const { return count(code) > 0; }

  private:
    std::vector<int> entries_;
};

// Sets bins 0 ... n/2 of channel's average to level.
void flat_spectrum(analysis::spectrum::SpectrumState& state, int channel, int n, double level);

void set_window_parameters(analysis::spectrum::SpectrumState& state, int tone_bins, int dc_bins);

double db(double power);

// Deterministic standard normal numbers (Box-Muller on a fixed-seed xorshift generator), so the
// generated noise is the same with every standard library.
class Gaussian {
  public:
    explicit Gaussian(unsigned seed);
    double next();

  private:
    uint32_t state_;
    bool has_spare_ = false;
    double spare_ = 0.0;
    uint32_t next_word();
};

// Samples rounded to the nearest code.
std::vector<int32_t> to_codes(const std::vector<double>& signal);

}  // namespace spectrum_test
