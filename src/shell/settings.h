// Every setting the setup panel holds, as plain state the program owns: the chip's
// configuration, the capture's and the analysis's. The panel's inputs are bound to it both
// ways (bind_settings), so the code reads the struct, never the inputs.
#pragma once

#include "analysis/settings.h"
#include "capture/capture_settings.h"
#include "chip/setup_settings.h"

namespace boardlink {
struct Connection;
}
namespace ui {
class Runtime;
}

namespace shell {

struct Settings {
    chip::SetupSettings setup;
    capture::CaptureSettings capture;
    analysis::AnalysisSettings analysis;
};

// Binds the setup panel's inputs to the settings and its board and firmware displays to the
// connection's names. Each field takes the input's value now.
void bind_settings(ui::Runtime& ui, int setup_panel, Settings& s, boardlink::Connection& link);

}  // namespace shell
