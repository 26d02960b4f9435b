// The averaged spectra and their tests, with no user-interface dependency.
//
// After a capture block or a load:   clean_average_buff (once), then ChannelFFT per channel.
// Signal test:  signal_fft (reference, then statistics), then graph_fft (kind 2) per enabled
//               channel 0 ... 3.
// Noise test:   noise_fft, then graph_fft (kind 3) per enabled channel.
// Phase test:   phase_test.
//               tone_table after the statistics gives the fundamental and harmonics.
// Statistics-channel ring: signal_FFT_stats / noise_FFT_stats alone.
#pragma once

#include "analysis/spectrum/averaging.h"
#include "analysis/spectrum/converter_figures.h"
#include "analysis/spectrum/fft_errors.h"
#include "analysis/spectrum/fft_graph.h"
#include "analysis/spectrum/fft_stats.h"
#include "analysis/spectrum/phase_test.h"
#include "analysis/spectrum/reference.h"
#include "analysis/spectrum/spectrum_state.h"
#include "analysis/spectrum/tones.h"
#include "analysis/spectrum/windows.h"
