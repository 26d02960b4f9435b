#pragma once

namespace cli {

struct Context;
struct Result;

void add_board_commands();
// Connects when no board is connected; the board's name, code and firmware.
Result connect(Context& c);

}  // namespace cli
