// The two debugger panels: loading them on demand, showing the register dump, and greying
// the other debugger buttons while an action lets events through.
#pragma once

#include <vector>
#include "debugtools/debugger/context.h"

namespace debugger {

// Sets the command panel state to its start (HALT, no words, address 0, data 0).
void initDebug(const Context& cx);

// Loads the two panels on first use, brings their fields in line with the state and shows
// them, the command panel in front. False when a panel cannot be loaded.
bool open_debug_panels(const Context& cx);

// Reads the registers and fills the dump and the PC display; unchanged on failure.
void refresh_registers(const Context& cx);

// While alive: every debugger button and toggle but `keep` is greyed, and the state is busy.
class BusyPanels {
  public:
    BusyPanels(const Context& cx, int keep_panel = 0, int keep_ctrl = 0);
    ~BusyPanels();
    BusyPanels(const BusyPanels&) = delete;
    BusyPanels& operator=(const BusyPanels&) = delete;

  private:
    Context cx_;
    std::vector<std::pair<int, int>> greyed_;
};

}  // namespace debugger
