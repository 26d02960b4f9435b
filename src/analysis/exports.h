// The block and its averaged spectra as CSV, for the engineer's own tools. Both files begin
// with a line naming the settings ("# ..."), then a line of column names; both are written to
// a temporary file and renamed into place, so a failed export leaves an earlier file as it was.
#pragma once

#include <string>

#include "core/status.h"

namespace analysis {

struct Context;

// One row per sample index: the index, then per channel its code and its voltage
// (code x half the full-scale volts / full-scale code). A channel shorter than the longest
// leaves its cells empty past its last sample. NotAllowed when there is no block.
core::Status export_data_csv(const Context& cx, const std::string& path);

// One row per bin 0 ... n/2 of channel 1's length n: the frequency in Hz, then each channel's
// averaged power in dB below the full-scale reference. A bin at or below zero, or a channel of
// another length, leaves its cell empty. NotAllowed when there is no block.
core::Status export_spectrum_csv(const Context& cx, const std::string& path);

// One row per bin of the Welch estimate, from the first bin clear of the window's DC leakage
// to Nyquist: the frequency in Hz, each analysed channel's noise PSD in V²/Hz (smoothed as the
// options ask) and, where self-noise was estimated, its self-noise PSD. NotAllowed when there
// is no block or too little of one for a segment.
core::Status export_psd_csv(const Context& cx, const std::string& path);

}  // namespace analysis
