// What the debugger works on: its own state, the board port, the run-time and the panels.
#pragma once

#include "boardlink/transport/port.h"
#include "debugtools/debugger/state.h"
#include "platform/ui/runtime.h"
#include "shell/globals.h"

namespace debugger {

struct Context {
    ui::Runtime& ui;
    shell::Globals& shell;
    boardlink::Port& port;
    DebuggerState& debugger;
};

}  // namespace debugger
