// Read-outs as values rather than controls: a channel measured for the command line and the
// report, and the pass/fail read-outs beside the panel's.
#pragma once

#include <string>
#include <vector>

#include "analysis/limits.h"
#include "analysis/measurement.h"
#include "analysis/test_run.h"

namespace analysis {

struct Context;

// What a run reads: the analysis state, the spectra and the capture's rate.
RunInputs run_inputs(const Context& cx);

// The measurement's read-outs in panel order; a figure the analysis could not produce
// (dimmed or hidden) has no value.
std::vector<Readout> readouts(const Measurement& m);

// Runs test for channel (index 0..3) with every channel enabled, as the command line and the
// report judge a channel; the panel is not touched.
Measurement measure(const Context& cx, int test, int channel);

// The tests of the seismic digitizer battery (PSD, self-noise, crosstalk, sine fit).
bool is_digitizer_test(int test);
// The digitizer results a test rests on, the sine fits included for the sine-fit test.
const DigitizerResults& digitizer_view(const Context& cx, int test);

// Whether test shows a read-out labelled figure: the figure keys a limits file may name.
bool known_figure(int test, const std::string& figure);

// "PASS" or "FAIL" beside each read-out of the statistics channel that has a limit; nothing
// when no limits are loaded.
void show_verdicts(const Context& cx);

}  // namespace analysis
