// The desktop program's console and scripts: seisbench-cli's command table run against the
// program's own live system, through the recording front-end in front of the window.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "platform/ui/qt/console.h"

namespace ui {
class RecordingFrontend;
}

namespace seisbench {

class ConsoleSession {
  public:
    // sim: the simulated board with --simulate, else null.
    ConsoleSession(App& app, ui::RecordingFrontend& frontend, simboard::SimBoard* sim);

    // Runs one line as seisbench-cli would; what it printed comes back as text.
    ui::qt::ConsoleReply run(const std::string& line, bool json);

    // Runs the lines in the console as if typed, answering confirmations with yes_to_confirm
    // and writing messages and results to standard error and output, up to the first failure.
    // Returns seisbench-cli's exit status for them (3 when every line ran but a figure failed
    // its limit).
    int run_script(ui::qt::Console& console, const std::vector<std::string>& lines,
                   bool yes_to_confirm);

  private:
    ui::RecordingFrontend& frontend_;
    std::ostringstream out_, err_;
    cli::Context ctx_;
    std::string last_error_;
    bool echo_ = false;  // results also to standard output (scripted runs)
};

}  // namespace seisbench
