// The analysis error list: entries of value code * 10 + channel number, and their messages.
#pragma once

#include <string>

namespace analysis {

struct Context;

// The message of an error entry's value, with its channel number filled in; "Plot Error."
// for a code the table does not hold.
std::string error_message(int value);

// The entry as the list shows it: its value, then the reason its message gives.
std::string error_label(int value);

// Shows the message of the selected error entry.
void display_error(const Context& cx);
// The measurement's error entries in the error list, which shows only when it holds one.
void show_errors(const Context& cx);

}  // namespace analysis
