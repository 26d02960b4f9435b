// What the macro tools work on: their store, the board port the engine drives, the run-time
// and the panels.
#pragma once

#include "boardlink/transport/port.h"
#include "macros/state.h"
#include "platform/ui/runtime.h"
#include "shell/globals.h"

namespace macros {

struct Context {
    ui::Runtime& ui;
    const shell::Globals& shell;
    boardlink::Port& port;
    MacroState& macros;
};

}  // namespace macros
