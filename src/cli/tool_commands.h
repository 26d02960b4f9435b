#pragma once

namespace cli {

// gpio, eeprom, ram, filter: the engineering tools below the configuration panels.
void add_tool_commands();

}  // namespace cli
