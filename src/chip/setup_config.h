// Configuration of the filter chip and the modulators from the setup panel's inputs.
#pragma once

#include "core/status.h"

class App;

namespace chip {

// The rate code of FILTCFG bits 7..4 for an output word rate; -1 for a rate not offered.
int rate_code(int rate);

// The nine-step sequence: enables capture when every step succeeded and locks it otherwise.
// The status names the failing step ("FL_STOP", "set_filter_parameters", ...) and carries the
// message the person is shown. The caller suspends the timer callbacks around it.
core::Status configure(App& app);
// The configure button: the sequence with the timer callbacks suspended, then its message.
int config_df(App& app);

// The steps; each stops at its own first failing register access. The status's step is the
// step's name.
core::Status set_filter_coefficients(App& app);
core::Status set_filter_parameters(App& app);
core::Status set_modulator_parameters(App& app);
core::Status set_correction_parameters(App& app);
core::Status set_gainoffset_parameters(App& app);
core::Status set_tbs_parameters(App& app);
// Reads FILTCFG and the eight gain/offset registers into the inputs; after a failed read the
// inputs keep their values.
core::Status read_gainoffset_parameters(App& app);

// The test-bit-stream inputs the presets work on.
struct TbsInputs {
    int mode = 0;
    int freq = 1;
    int level = 0;
    int rate = 7;
    int field_b = 4;
    int gain = 309490;
    // -1: leave the frequency and level inputs as they are; 0 editable; 1 locked.
    int lock = -1;
};
void apply_tbs_presets(TbsInputs& in);
// The TBS mode, frequency or level input changed.
int set_tbs_freq(App& app);

void setup_config_callbacks(App& app);

}  // namespace chip
