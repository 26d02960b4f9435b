// One command line run against a live system: the part seisbench-cli, the desktop program's
// console and its scripted runs share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/command.h"

namespace cli {

// Fills the command table the first time it is called.
void add_all_commands();
// The commands' names, in order, for completion and help.
std::vector<std::string> command_names();

// Runs one line: finds its command, runs it on ctx's system and prints the result on ctx.out
// (aligned text, or one JSON object with ctx.json), after the lines the command wrote to the
// standard-output window. An unknown command is a usage error like any other.
Result run_line(Context& ctx, const std::string& line);

// A larger file is refused unread: a script of register writes for every register of every
// board stays far below it.
inline constexpr std::uintmax_t kMaxScriptBytes = 16u << 20;

// The commands of a script file, one a line; blank lines and '#' comments are left out. False,
// with the reason ("it is a folder"), when the file cannot be read.
bool read_script(const std::string& path, std::vector<std::string>& lines, std::string* why);

}  // namespace cli
