// The application's averaged spectra: the spectrum library fed from the channel arrays with
// the window chosen on the setup panel, and what the data files take from it.
#pragma once

namespace analysis {

struct Context;

// Zeroes the four averaged spectra before a run of captures, and forgets the kept blocks.
void clear_spectra(const Context& cx);
// Keeps the block now in the channel arrays for the digitizer tests.
void keep_block(const Context& cx);
// Adds the channel's windowed power spectrum, divided by the averaging count, to its average;
// 0 or the transform's negative status.
int add_channel_spectrum(const Context& cx, int averaging_count, int channel);
// Power of the full-scale reference tone for channel 0, written as field 10 of a data file.
double reference_power_for_file(const Context& cx);
// After a load: clears the averaged spectra and adds the loaded block's spectrum of every
// channel present, and keeps the block, so the spectrum tests show the loaded data.
void spectra_after_load(const Context& cx);

}  // namespace analysis
