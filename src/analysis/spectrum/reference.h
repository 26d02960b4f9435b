// The full-scale reference: a sine of peak fs_code with 16 periods per record, windowed and
// transformed like the data; its main-lobe power is the 0 dB level of the plots and of the
// noise figures.
#pragma once

#include <cstdint>

#include "analysis/spectrum/spectrum_state.h"

namespace analysis::spectrum {

// Computes ref_power for a record of count samples (the count of the channel the caller
// names, channel 0 for the tests and for saving). Overwrites the work arrays and sets the
// window parameters. A record of fewer than 48 samples has a period below 3 samples, where the
// sine would be sampled on its zero crossings only (or not at all below 16): ref_power becomes
// 0 and dsp::kInvalidCount is returned, as for a count above core::kBufferEntries.
int getReferenceFFT(SpectrumState& state, int count, int32_t fs_code, int window_index);

}  // namespace analysis::spectrum
