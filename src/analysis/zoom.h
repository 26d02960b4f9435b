// Box zoom on the analysis graph, with a stack of the axis states it replaced.
#pragma once

namespace analysis {

struct Context;

// Waits for two clicks on the graph (the box corners) and zooms into the box.
void zoom(const Context& cx);
// The wheel or a drag is about to change the range: the first such change after a test keeps
// the range it had, so Restore brings it back.
void zoom_by_hand(const Context& cx);
// Undoes one zoom level.
void restore(const Context& cx);
// Drops every zoom level (the next test sets its own axes).
void reset_zoom(const Context& cx);
// Stores the graph's axis state as the bottom of the stack.
void remember_initial_axes(const Context& cx);

}  // namespace analysis
