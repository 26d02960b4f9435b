// The engineering tools below the configuration panels: the pin grid, the boot EEPROM, the
// DSP core's RAM download and the filter's start and stop.
#pragma once

#include "platform/ui/callbacks.h"

#include "core/status.h"

namespace debugtools {

struct Context;

// Binds the tools' panel and menu callbacks.
void debugtools_callbacks(ui::CallbackRegistry& cb, const Context& cx);

// FL_START and FL_STOP with both data words 0 and no read-back.
core::Status start_filter(const Context& cx);
core::Status stop_filter(const Context& cx);

int start_filter_cmd(const Context& cx);
int stop_filter_cmd(const Context& cx);

}  // namespace debugtools
