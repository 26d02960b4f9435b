// The analysis settings the setup panel holds: window, full-scale code and volts, bandwidth
// limit; and the channel count.
#pragma once

class App;

namespace analysis {

// Setup-panel callbacks; each takes its field into the setting.
void window_select(App& app);
void fullscale_code(App& app);
void fullscale_volts(App& app);
// Takes the limit; a limit above half the sample rate becomes half the sample rate,
// truncated, and is written back to the field.
void bwlimit(App& app);

// Reads num_samples, fs and the four settings from the setup panel.
void read_settings(App& app);

// The channel count the setup panel's channel-count field means.
int setup_channel_count(App& app);

}  // namespace analysis
