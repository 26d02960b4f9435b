// The cursor as a marker: onto the strongest peak of the statistics channel's trace, then
// down from peak to peak.
#pragma once

namespace analysis {

struct Context;

// Moves cursor 1 onto the highest peak in view of the statistics channel's trace (or, when
// that channel is not drawn, the first channel drawn); with next, onto the highest peak below
// the cursor. The cursor stays where it is when there is none.
void cursor_to_peak(const Context& cx, bool next);

}  // namespace analysis
