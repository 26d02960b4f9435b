// The read-outs of the test the analysis panel shows, as values rather than controls: for the
// command line, the report and the pass/fail read-outs beside them.
#pragma once

#include <string>
#include <vector>

#include "analysis/limits.h"

namespace analysis {

struct Context;

// The selected test's read-outs in panel order; a figure the analysis could not produce
// (dimmed or hidden) has no value.
std::vector<Readout> readouts(const Context& cx);

// Runs test on the panel for channel (index 0..3) as a person would: every channel button on,
// the channel chosen for the statistics, then the dispatcher. Its read-outs.
std::vector<Readout> measure(const Context& cx, int test, int channel);

// The error list's entries (code x 10 + channel number) of the last analysis.
std::vector<int> error_entries(const Context& cx);

// Whether test shows a read-out labelled figure: the figure keys a limits file may name.
bool known_figure(int test, const std::string& figure);

// "PASS" or "FAIL" beside each read-out of the statistics channel that has a limit; nothing
// when no limits are loaded.
void show_verdicts(const Context& cx);

}  // namespace analysis
