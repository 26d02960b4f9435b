// Channel-to-channel crosstalk from one capture in which one channel carries a tone: the driven
// channel is the one whose strongest bin stands highest above its own noise floor, and every
// other channel's level at that frequency is given relative to it, or bounded from above where
// it stays inside the noise.
#pragma once

#include <span>
#include <vector>

#include "analysis/digitizer/noise_figures.h"

namespace analysis::digitizer {

struct CrosstalkLevel {
    double db = 0.0;           // relative to the driven channel's tone
    bool upper_bound = false;  // the tone is inside this channel's noise: the level is below db
};

struct CrosstalkResult {
    int driven = -1;  // channel index; -1 when no channel has a tone
    double frequency = 0.0;
    std::vector<CrosstalkLevel> levels;  // per channel; the driven channel's is 0 dB
};

// psd per channel (same bins), the band's bins, bin width and the window's main-lobe half-width.
CrosstalkResult crosstalk(std::span<const std::vector<double>> psd, BinRange range, double df,
                          int half_width);

}  // namespace analysis::digitizer
