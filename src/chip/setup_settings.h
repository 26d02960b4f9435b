// The configuration of the filter chip and the modulators, as the setup panel's inputs hold
// it. The configure sequence reads it; the panel is bound to it.
#pragma once

namespace chip {

struct SetupSettings {
    int channels = 0;  // channel-count code: 0 for four channels, else the count
    int rate = 0;      // output word rate, samples per second
    int filter = 0;
    int config_a = 0;
    int config_b = 0;
    int fir_rom = 0;
    int iir_rom = 0;
    int mux = 0;
    int mode = 0;
    int gain = 0;
    int power_down = 0;
    int c12 = 0, c13 = 0, c14 = 0, c16 = 0;
    int gain1 = 0, gain2 = 0, gain3 = 0, gain4 = 0;
    int offset1 = 0, offset2 = 0, offset3 = 0, offset4 = 0;
    int tbs_mode = 0, tbs_freq = 0, tbs_level = 0, tbs_rate = 0, tbs_b = 0, tbs_gain = 0;
    int f11 = 0, f7 = 0, f6 = 0;
};

// GAIN1..GAIN4 then OFFSET1..OFFSET4: the order of their registers.
inline constexpr int SetupSettings::*kGainOffsetWords[8] = {
    &SetupSettings::gain1,   &SetupSettings::gain2,   &SetupSettings::gain3,
    &SetupSettings::gain4,   &SetupSettings::offset1, &SetupSettings::offset2,
    &SetupSettings::offset3, &SetupSettings::offset4};

}  // namespace chip
