// Rewriting the board MCU's firmware: the firmware file is checked whole first; only then is
// the MCU put into update mode, its pages erased and programmed 64 bytes at a time, and the
// MCU restarted, which ends the connection.
#pragma once

#include <functional>
#include <string>

#include "core/status.h"

class App;

namespace boardlink {

struct FlashOptions {
    bool confirmed = false;
    // The firmware file; empty for the connected board's own file in the user's data folder or
    // else the program's directory.
    std::string file;
    // Told after each record the MCU accepted: records done and the image's record count.
    std::function<void(int done, int total)> progress;
};

// The file a flash would program: `file` when given, else the connected board's own file in
// the user's data folder or else the program's directory; empty for an unknown board.
std::string firmware_path(App& app, const std::string& file);
// The question the person is asked first, naming the file that will be flashed; true when
// confirmed.
bool confirm_flash(App& app, const std::string& file = {});
// The whole update, with the message the person is to be shown for its outcome. A file that
// cannot be opened or is not a complete image is refused before anything is sent.
core::Status flash_board(App& app, const FlashOptions& options);

// The firmware-update command: asks, programs and shows the outcome. Returns 0.
int Flash_Board(App& app);
void firmware_callbacks(App& app);

}  // namespace boardlink
