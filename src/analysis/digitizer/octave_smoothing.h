// Fractional-octave smoothing of a spectrum on a linear bin grid: each bin becomes the mean of
// the bins within ±1/(2b) octave of its frequency. Trades resolution for variance where the
// bins are dense, and leaves the sparse low bins nearly as they are.
#pragma once

#include <span>
#include <vector>

namespace analysis::digitizer {

// fraction b: 3 for 1/3 octave, 6 for 1/6; 0 (or less) returns the spectrum unchanged. Bin 0
// has no octave and is kept.
std::vector<double> smooth_octave(std::span<const double> spectrum, int fraction);

}  // namespace analysis::digitizer
