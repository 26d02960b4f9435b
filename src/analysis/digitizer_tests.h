// The seismic digitizer tests: noise PSD, self-noise by correlation, crosstalk and the sine
// fit, over the kept blocks; their figures set into the measurement and their plots handed out.
#pragma once

#include "analysis/test_run.h"

namespace analysis {

void psd_stats(const RunInputs& in, int channel, const std::array<int, kChannels>& enabled,
               Measurement& m);
void psd_run(const RunInputs& in, const RunRequest& request, Measurement& m, const PlotSink& plot);
void self_noise_stats(const RunInputs& in, int channel, const std::array<int, kChannels>& enabled,
                      Measurement& m);
void self_noise_run(const RunInputs& in, const RunRequest& request, Measurement& m,
                    const PlotSink& plot);
void crosstalk_stats(const RunInputs& in, int channel, const std::array<int, kChannels>& enabled,
                     Measurement& m);
void crosstalk_run(const RunInputs& in, const RunRequest& request, Measurement& m,
                   const PlotSink& plot);
void sine_fit_stats(const RunInputs& in, int channel, const std::array<int, kChannels>& enabled,
                    Measurement& m);
void sine_fit_run(const RunInputs& in, const RunRequest& request, Measurement& m,
                  const PlotSink& plot);

}  // namespace analysis
