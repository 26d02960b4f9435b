// The capture button and menu item: one or several captures, each split into channels and
// added to the averaged spectra, then the analysis.
#pragma once

#include "core/status.h"

class App;

namespace capture {

// The averaging loop. A failed capture ends it without showing the analysis and is the
// outcome, its step prefixed with the capture's number ("block 2: stream").
core::Status capture_and_analyse(App& app);
// The loop, then its message; returns 0 in every case.
int data_capture_analysis(App& app);
// The capture button: timer callbacks suspended around the loop and its message.
int usb_capture_data(App& app);

void averaging_callbacks(App& app);

}  // namespace capture
