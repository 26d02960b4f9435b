// The engineering tools below the configuration panels: the pin grid, the boot EEPROM, the
// DSP core's RAM download and the filter's start and stop.
#pragma once

#include "core/status.h"

class App;

namespace debugtools {

// Binds the tools' panel and menu callbacks.
void debugtools_callbacks(App& app);

// FL_START and FL_STOP with both data words 0 and no read-back.
core::Status start_filter(App& app);
core::Status stop_filter(App& app);

int start_filter_cmd(App& app);
int stop_filter_cmd(App& app);

}  // namespace debugtools
