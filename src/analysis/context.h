// What the analysis works on and draws into: its own state, the captured block, the spectra,
// the run-time and the panels, and the connection the report names. The program hands it
// these and nothing else: no board port, macros or debugger.
#pragma once

#include "analysis/spectrum/spectrum_state.h"
#include "analysis/state.h"
#include "boardlink/transport/connection.h"
#include "capture/buffer.h"
#include "platform/ui/runtime.h"
#include "shell/globals.h"
#include "shell/settings.h"

namespace analysis {

struct Context {
    ui::Runtime& ui;
    const shell::Globals& shell;
    capture::Buffer& capture;
    spectrum::SpectrumState& spectra;
    AnalysisState& analysis;
    shell::Settings& settings;
    const boardlink::Connection& link;
};

}  // namespace analysis
