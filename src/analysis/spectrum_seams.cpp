#include "analysis/spectrum_seams.h"

namespace analysis {

// The spectrum library provides this (getReferenceFFT for channel 0, then ref_power).
double reference_power_for_file(App&) {
    return 0.0;
}

// The spectrum library fills this: clean_average_buff, then ChannelFFT(1, c) for every channel
// c below NumberOfChannels.
void spectra_after_load(App&) {}

}  // namespace analysis
