// The DSP debugger's commands of seisbench-cli: run control, any debugger command, the
// register dump, memory dumps, image download, the PC, runs to a breakpoint, register writes.
#pragma once

namespace cli {

void add_debug_commands();

}  // namespace cli
