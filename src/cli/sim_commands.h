#pragma once

namespace cli {

// sim: the simulated board's signal source (only with --simulate).
void add_sim_commands();

}  // namespace cli
