// The analysis settings the setup panel holds: window, full-scale code and volts, bandwidth
// limit; and the channel count.
#pragma once

namespace analysis {

struct Context;

// The analysis's fields on the setup panel. The tests take them into their state when the
// person changes them (the callbacks below), not while they run.
struct AnalysisSettings {
    int window = 0;
    int fs_code = 0;
    double fs_volts = 0.0;
    int limit_bw = 0;
};

// Setup-panel callbacks; each takes its field into the setting.
void window_select(const Context& cx);
void fullscale_code(const Context& cx);
void fullscale_volts(const Context& cx);
// Takes the limit; a limit above half the sample rate becomes half the sample rate,
// truncated, and is written back to the field.
void bwlimit(const Context& cx);

// Reads num_samples, fs and the four settings from the setup panel.
void read_settings(const Context& cx);

// The channel count the setup panel's channel-count field means.
int setup_channel_count(const Context& cx);

}  // namespace analysis
