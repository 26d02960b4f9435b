// Connecting to a board, keeping the panels in line with the connection, noticing a lost
// board and resetting the board's MCU.
#pragma once

#include "core/status.h"

class App;

namespace boardlink {

// Binds the panel callbacks and installs the reaction to a failed SPI read (the greying of
// the board commands and the transport's message).
void discovery_callbacks(App& app);

// Inner operations: each returns its outcome, with the message the person is to be shown
// (success may carry one too: a board whose registers do not answer stays connected). They
// show no message themselves; the transport's read-failure message is shown as it happens.
core::Status connect_board(App& app);
core::Status disconnect_board(App& app);
// Ends the connection when the library no longer sees a board or the open handle no longer
// works (the board browned out and came back as a new device); success while it works or none
// was connected.
core::Status check_board_present(App& app);
// The reset question the person is asked; true when confirmed.
bool confirm_reset(App& app);
// Restarts the MCU and ends the connection when confirmed; Cancelled otherwise.
core::Status reset_board(App& app, bool confirmed);
// After the MCU was told to restart: the handle is closed, the board controls greyed, the
// indicators cleared, the toggle off and the connection marked closed (the board code stays
// until the next connect).
void board_restarted(App& app);

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
