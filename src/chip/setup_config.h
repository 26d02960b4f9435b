// Configuration of the filter chip and the modulators from the setup panel's inputs.
#pragma once

#include "chip/configure.h"
#include "core/status.h"

class App;

namespace chip {

// The program's board, port and setup settings as the sequence's target.
Target target(App& app);

// The nine-step sequence: enables capture when every step succeeded and locks it otherwise.
// The status names the failing step ("FL_STOP", "set_filter_parameters", ...) and carries the
// message the person is shown. The caller suspends the timer callbacks around it.
core::Status configure(App& app);
// The configure button: the sequence with the timer callbacks suspended, then its message.
int config_df(App& app);

// Reads FILTCFG and the eight gain/offset registers into the inputs; after a failed read the
// inputs keep their values.
core::Status read_gainoffset_parameters(App& app);

// The TBS mode, frequency or level input changed.
int set_tbs_freq(App& app);

void setup_config_callbacks(App& app);

}  // namespace chip
