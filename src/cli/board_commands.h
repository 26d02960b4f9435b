#pragma once

namespace cli {

void add_board_commands();

}  // namespace cli
