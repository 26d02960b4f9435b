// The one-click report: board identity and firmware, configuration, date, every figure of the
// time-domain, histogram, signal and noise tests per channel (with the limit verdicts when
// limits are loaded), and each channel's time plot, histogram and spectrum with harmonic
// markers, as one self-contained HTML file (inline SVG, no external resource), or as PDF
// through a front-end that can print one.
#pragma once

#include <string>

#include "core/status.h"

namespace analysis {

struct Context;

struct ReportOutcome {
    core::Status status;
    int verdicts = 0;  // figures checked against a limit
    int failed = 0;    // of which failed
};

// Runs the tests on every channel of the block as the panel does, then puts the panel back to
// the test and channels it showed. A path ending in ".pdf" (any case) is written as PDF, which
// fails with NotAllowed when the front-end cannot print one; anything else as HTML. Written to
// a temporary file and renamed into place.
ReportOutcome save_report(const Context& cx, const std::string& path);

}  // namespace analysis
