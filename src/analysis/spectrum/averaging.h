// Per-channel windowed transforms and their running average over the blocks of one capture.
#pragma once

#include <cstdint>

#include "analysis/spectrum/spectrum_state.h"

namespace analysis::spectrum {

// Sets all four channels' averaged spectra to zero.
void clean_average_buff(SpectrumState& state);

// Transforms a channel's count samples through the window chosen by window_index and adds
// their power spectrum, divided by averages, to that channel's average. Returns 0, or
// dsp::kInvalidCount (nothing changed) for averages < 1, a bad channel, a count outside
// 0 ... core::kBufferEntries or missing samples, or the transform's own status. A count of 0
// adds nothing.
int ChannelFFT(SpectrumState& state, int averages, int channel, const int32_t* samples, int count,
               int window_index);

// For the bins 0 ... count / 2 that the tests use: avg_buff[channel][i] += p / averages, where
// p = |X[i]|^2 of the half-complex transform `spectrum` (see dsp::WindowedHalfComplexReFFT),
// raised to 1e-20 if below. Returns 0 or dsp::kInvalidCount as ChannelFFT.
int add_to_average(SpectrumState& state, int averages, int channel, const double* spectrum,
                   int count);

// The windowed transform of count samples, in half-complex order in fft_re or fft_im, where
// *spectrum points; shared by ChannelFFT and the phase test. Returns 0, dsp::kInvalidCount or
// the transform's status.
int windowed_transform(SpectrumState& state, const int32_t* samples, int count, int window_index,
                       const double** spectrum);

}  // namespace analysis::spectrum
