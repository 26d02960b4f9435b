#pragma once

#include <string>
#include <vector>

namespace cli {

struct Context;
struct Result;

// firmware flash [--file FILE]: rewrites the board MCU's firmware.
void add_firmware_commands();
// sim flash FILE: the simulated MCU's flash as raw bytes; sim power-cycle: off and on again.
Result sim_firmware(Context& c, const std::vector<std::string>& args);

}  // namespace cli
