// The frequency-domain tests of the analysis panel: the spectrum library's results shown on
// the statistics displays and drawn on the graph.
#pragma once

#include "analysis/spectrum/fft_stats.h"

namespace analysis {

struct Context;

// The settings the spectra read, from the analysis state and the capture.
spectrum::SpectrumSettings spectrum_settings(const Context& cx);

// Reference, statistics of stat_ch, then the FFT plot of every channel whose button is on.
void _signal_fft(const Context& cx);
void _noise_fft(const Context& cx);
// The statistics alone, for the statistics-channel ring.
void signal_FFT_stats(const Context& cx, int channel);
void noise_FFT_stats(const Context& cx, int channel);
// The phase of each enabled channel's windowed transform.
void _phase_test(const Context& cx);

}  // namespace analysis
