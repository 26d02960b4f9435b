// The analysis panel: start-up, the dispatcher that redraws the panel for the selected test,
// the channel split of a captured block, the error list and the callbacks the panels name.
#pragma once

#include "platform/ui/callbacks.h"

namespace analysis {

struct Context;

// Once at start-up, after every panel is loaded.
void initAnalysis(const Context& cx);
// Clears the panel and runs the selected test.
void analysis(const Context& cx);
// Splits the capture buffer into the four channel arrays by bits 5..4 of each tag.
void separate_channel_data(const Context& cx);
// Shows test on the panel for channel (index 0..3) with every channel button on: where the
// command line's runs leave the panel.
void show_test(const Context& cx, int test, int channel);
void update_cursor(const Context& cx);
void update_time_date(const Context& cx);

// Binds every callback name the analysis and setup panels and the main menu give this
// subsystem.
void analysis_callbacks(ui::CallbackRegistry& cb, const Context& cx);

}  // namespace analysis
