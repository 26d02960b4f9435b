// Binds the two debugger panels' callbacks and the "Debug" entry of the Panels menu.
#pragma once

#include "platform/ui/callbacks.h"

namespace debugger {

struct Context;

void debugger_callbacks(ui::CallbackRegistry& cb, const Context& cx);

}  // namespace debugger
