#pragma once

namespace cli {

// trace show FILE: a bus trace decoded one exchange per line.
void add_trace_commands();

}  // namespace cli
