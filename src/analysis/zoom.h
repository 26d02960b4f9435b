// Box zoom on the analysis graph, with a stack of the axis states it replaced.
#pragma once

class App;

namespace analysis {

// Waits for two clicks on the graph (the box corners) and zooms into the box.
void zoom(App& app);
// Undoes one zoom level.
void restore(App& app);
// Drops every zoom level (the next test sets its own axes).
void reset_zoom(App& app);
// Stores the graph's axis state as the bottom of the stack.
void remember_initial_axes(App& app);

}  // namespace analysis
