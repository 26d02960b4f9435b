// The debugger's process-wide state: the command panel's selection and whether a dump or a
// breakpoint run is letting events through.
#pragma once

#include <array>

#include "debugtools/debugger/commands.h"

namespace debugger {

struct CommandPanelState {
    int code = HALT;
    int shown = 0;  // words shown on the panel and in the log
    int count = 0;  // word count handed to the transfer
    int address = 0;
    std::array<int, kDataFields> data{};
};

struct DebuggerState {
    CommandPanelState panel;
    bool busy = false;
};

// Takes a selected command into the state by the table's rule, with the number-of-words and
// address fields' values; false for a blank code, which leaves the state as it was.
bool apply_selection(CommandPanelState& s, int code, int numwords, int address);
// How many data fields a write with this many shown words fills in (1, 2, 3 or 8); 0 for a
// read or any other count.
int data_fields_for(int code, int shown);

}  // namespace debugger
