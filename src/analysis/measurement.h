// What the last analysis run found, kept as values beside the panel that shows it: each
// statistics read-out as the panel holds it, and the error list's entries. The functions that
// fill the panel fill it in the same step; the command line, the report and the verdicts read
// it here, never from the display controls.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace analysis {

// The statistics read-outs a test can show: its own first, the converter figures after them.
inline constexpr int kDisplays = 12;

struct ShownFigure {
    std::string label;
    int precision = 0;
    bool visible = false;
    // A figure the analysis could not produce is dimmed or hidden; its value means nothing.
    bool dimmed = false;
    double value = 0.0;

    bool has_value() const { return visible && !dimmed; }
};

struct Measurement {
    // The test the figures belong to; -1 before any run and after a run of no known test.
    int test = -1;
    std::array<ShownFigure, kDisplays> figures;
    // Entries of the error list: code x 10 + channel number, in the order they were found.
    std::vector<int> errors;
};

}  // namespace analysis
