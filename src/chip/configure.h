// The filter chip's and the modulators' configuration sequence: what the setup settings mean
// on the wire, for one board, through one port. No panel, no program state.
#pragma once

#include "boardlink/boards.h"
#include "boardlink/transport/port.h"
#include "chip/setup_settings.h"
#include "core/status.h"

namespace chip {

// What the filter step set the stream up to deliver.
struct StreamSetup {
    bool set = false;  // the step read the rate; false when it failed before
    double fs = 0.0;   // output word rate
    int channels = 0;  // channels the stream carries in turn; 0 when the step failed
};

struct Target {
    boardlink::Port& port;
    const SetupSettings& in;
    // The board's table entry; null for a board code the table does not know.
    const boardlink::BoardInfo* board;
    // Where the filter step reports what it set up; may be null.
    StreamSetup* stream = nullptr;
};

// The rate code of FILTCFG bits 7..4 for an output word rate; -1 for a rate not offered.
int rate_code(int rate);

// The nine steps, stopping at the first that fails; the status's step names it ("FL_STOP",
// "set_filter_parameters", ...).
core::Status configure_chip(const Target& t);

// The steps; each stops at its own first failing register access. The status's step is the
// step's name.
core::Status set_filter_coefficients(const Target& t);
core::Status set_filter_parameters(const Target& t);
core::Status set_modulator_parameters(const Target& t);
core::Status set_correction_parameters(const Target& t);
core::Status set_gainoffset_parameters(const Target& t);
core::Status set_tbs_parameters(const Target& t);

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
}  // namespace chip
