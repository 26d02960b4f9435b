// What the board tools (pins, EEPROM, RAM download) work on: the board port, the run-time and
// the panels.
#pragma once

#include "boardlink/transport/port.h"
#include "platform/ui/runtime.h"
#include "shell/globals.h"

namespace debugtools {

struct Context {
    ui::Runtime& ui;
    const shell::Globals& shell;
    boardlink::Port& port;
};

}  // namespace debugtools
