// The capture button and menu item: one or several captures, each split into channels and
// added to the averaged spectra, then the analysis.
#pragma once

class App;

namespace capture {

// Runs the averaging loop; returns 0 in every case.
int data_capture_analysis(App& app);
// The capture button: timer callbacks suspended around the loop.
int usb_capture_data(App& app);

void averaging_callbacks(App& app);

}  // namespace capture
