// The tones of the last signal analysis as an engineer reads them first: the fundamental's
// frequency and level, then each harmonic's frequency and level below the fundamental.
#pragma once

#include <optional>
#include <vector>

#include "analysis/spectrum/spectrum_state.h"

namespace analysis::spectrum {

// Orders beyond this are rarely read and would only lengthen the table.
inline constexpr int kTableMaxOrder = 10;

struct Tone {
    int order = 1;           // 1 is the fundamental
    double frequency = 0.0;  // Hz; a harmonic's as it folds into 0 ... fs / 2
    // dBFS for the fundamental, dBc for a harmonic; none for a harmonic that was not counted
    // (aliased onto another band, in the DC bins or above the band limit).
    std::optional<double> level;
};

// The fundamental and harmonics 2 ... kTableMaxOrder of the signal analysis just made on a
// channel of n samples at fs; empty when it found no fundamental.
std::vector<Tone> tone_table(const SpectrumState& state, int n, double fs);

}  // namespace analysis::spectrum
