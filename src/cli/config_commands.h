#pragma once

namespace cli {

// configure, gainoffset: the setup panel's configuration inputs.
void add_config_commands();

}  // namespace cli
