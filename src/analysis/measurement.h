// What one analysis run found: each statistics read-out with its label, digits and whether it
// has a value, and the error entries. A run fills it (test_run.h); the panel draws it, and the
// command line, the report and the verdicts read it, never the display controls.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "analysis/spectrum/figures.h"
#include "analysis/spectrum/tones.h"

namespace analysis {

// The statistics read-outs a test can show: its own first, the converter figures after them.
inline constexpr int kDisplays = 12;

struct ShownFigure {
    std::string label;
    int precision = 0;
    bool visible = false;
    // A figure the analysis could not produce is dimmed or hidden, as its table row says; its
    // value then means nothing.
    spectrum::Missing missing = spectrum::Missing::Dimmed;
    bool dimmed = false;
    double value = 0.0;
    // Said instead of a missing value ("none", "reference", "driven"); empty: nothing to say.
    std::string note;
    // The value is an upper bound: the figure lies below it.
    bool upper_bound = false;

    bool has_value() const { return visible && !dimmed; }
};

struct Measurement {
    // The test the figures belong to; -1 before any run and after a run of no known test.
    int test = -1;
    std::array<ShownFigure, kDisplays> figures;
    // Entries of the error list: code x 10 + channel number, in the order they were found.
    std::vector<int> errors;
    // Signal test: the statistics channel's fundamental and harmonics; empty otherwise.
    std::vector<spectrum::Tone> tones;
};

}  // namespace analysis
