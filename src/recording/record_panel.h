// The recording panel of the desktop program: an archive's names and length, Record (with the
// live view: the last seconds of every channel, the noise PSD so far brought up to date each
// minute, hours and bytes written, and the progress window whose button stops it), and the
// noise over time of an archive.
#pragma once

#include "recording/session.h"

class App;

namespace recording {

// The connected board and the analysis settings, as a recording needs them.
JobBoard job_board(const App& app);

void record_panel_callbacks(App& app);

}  // namespace recording
