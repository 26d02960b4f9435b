// Connecting to a board, keeping the panels in line with the connection, noticing a lost
// board and resetting the board's MCU.
#pragma once

class App;

namespace boardlink {

void discovery_callbacks(App& app);

// Connects when no board is open, disconnects otherwise (the connect toggle's commit).
int USB_port_init(App& app);
int timerfunc(App& app);
// Asks first; restarts the MCU and ends the connection.
int reset_Board(App& app);
void set_all_dimmed(App& app);
void set_all_undimmed(App& app);
// 1 when the filter chip answers register reads.
int check_register_access(App& app);

}  // namespace boardlink
