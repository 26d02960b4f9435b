// What a test shows on the analysis panel: its read-outs (the table the measurement is laid out
// from), graph names, cursor read-outs and their units.
#pragma once

#include "analysis/measurement.h"
#include "analysis/spectrum/figures.h"
#include "analysis/spectrum/statistic.h"

namespace analysis {

struct Context;

struct PanelSetup {
    int displays;  // displays 1..displays shown, the rest hidden
    spectrum::Figure figures[kDisplays];
    const char* title;
    const char* xname;
    const char* yname;
    const char* cursor_x;
    const char* cursor_y;
    int cursor_precision;
    const char* xunit;
    const char* yunit;
    bool log_x = false;  // the x axis is logarithmic (noise densities over decades)
};

// By test selector value (Test); null for a value no test has.
const PanelSetup* panel_setup_of(int test);

void apply_panel_setup(const Context& cx, const PanelSetup& s);
// The statistics display controls 1 to 5.
int stat_display(int index);
// The pass/fail read-out beside statistics display index.
int verdict_display(int index);
// The measurement's read-outs on the statistics displays: label, digits, value, and a figure
// without a value dimmed or hidden.
void show_readouts(const Context& cx);
// The signal test's fundamental and harmonics in the tones list, one line each; the list is
// hidden for the other tests.
void show_tones(const Context& cx);
// Displays' text back to white.
void whiten_displays(const Context& cx);

}  // namespace analysis
