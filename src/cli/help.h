// What the commands are and how each is called: the list in --help, `help [COMMAND]` and
// `COMMAND --help`.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"

namespace cli {

// One synopsis and its description a line, every command in name order.
void print_command_list(std::ostream& out);

// Whether the words ask for their command's help rather than running it: --help or -h after
// the command's name.
bool asks_for_help(const std::vector<std::string>& words);

// The usage and description of the command named words[0]; nothing is run.
Result command_help(const std::string& name);

// "unknown command 'X'", with the names close to it or a pointer to the list.
Result unknown_command(const std::string& name);

// help [COMMAND]: the list of commands, or one command's usage.
void add_help_command();

}  // namespace cli
