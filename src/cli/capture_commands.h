#pragma once

namespace cli {

// capture: runs captures as the capture button does.
void add_capture_commands();

}  // namespace cli
