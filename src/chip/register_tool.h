// The control panel's register, command and port tool. Each operation reads its inputs from
// the panel, makes its exchanges and fills its outputs; its status is the first failed
// exchange (named by its step: "REG_read", "DSP_command", "SPI_write"...) and carries no
// message, as the transport has shown its own for a failed read. The send-command operation
// runs the word-file loaders for their three commands and returns the loader's outcome.
#pragma once

#include "core/status.h"

class App;

namespace chip {

core::Status register_read(App& app);
core::Status register_write(App& app);
core::Status send_command(App& app);
// One word (words 2 and 3 shown as 0) or three consecutive words at the port address.
core::Status port_read(App& app, int words);
core::Status port_write(App& app, int words);

void register_tool_callbacks(App& app);

}  // namespace chip
