#pragma once

namespace cli {

struct Context;

// The simulated tones asked for in Hz, as cycles per output word at the configured rate.
void apply_sim_tones(Context& c);

// capture: runs captures as the capture button does.
void add_capture_commands();

}  // namespace cli
