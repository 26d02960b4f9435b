// devices: the boards attached to the bus the program uses.
#pragma once

namespace cli {

void add_device_commands();

}  // namespace cli
