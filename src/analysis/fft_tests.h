// The frequency-domain tests: the spectrum library's figures set into the measurement and its
// plots handed out.
#pragma once

#include "analysis/test_run.h"

namespace analysis {

// Reference, statistics of the statistics channel, then the plot of every enabled channel,
// each lowering the dB axis to its own floor.
void signal_run(const RunInputs& in, const RunRequest& request, Measurement& m,
                const PlotSink& plot);
void noise_run(const RunInputs& in, const RunRequest& request, Measurement& m,
               const PlotSink& plot);
// The statistics alone, for the statistics-channel ring.
void signal_stats(const RunInputs& in, int channel, const std::array<int, kChannels>& enabled,
                  Measurement& m);
void noise_stats(const RunInputs& in, int channel, const std::array<int, kChannels>& enabled,
                 Measurement& m);
// The phase of each enabled channel's windowed transform.
void phase_run(const RunInputs& in, const RunRequest& request, Measurement& m,
               const PlotSink& plot);

}  // namespace analysis
