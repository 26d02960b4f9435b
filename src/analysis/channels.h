// How the four channels look on the panel, and the panel's channel controls.
#pragma once

namespace analysis {

struct Context;

struct ChannelLook {
    int colour;  // 0xRRGGBB of its plots, its button and the statistics ring
    const char* label;
    int value;  // statistics ring item value
};

inline constexpr ChannelLook kChannelLooks[4] = {
    {0x000000, "CH 1", 0},
    {0x800000, "CH 2", 1},
    {0x008000, "CH 3", 2},
    {0x000080, "CH 4", 3},
};

// The button controls of channels 1 to 4.
int channel_button(int channel);

// Reads stat_ch from the statistics ring and plot_enabled from the four buttons.
void read_channel_controls(const Context& cx);
// Shows stat_ch in the statistics ring, in the channel's colour. When the ring does not offer
// stat_ch, the statistics follow the channel the ring does show.
void show_stat_channel(const Context& cx);
// Rebuilds the statistics ring for NumberOfChannels and dims the buttons of absent channels.
void rebuild_channel_controls(const Context& cx);
// The channel a button press makes the statistics channel: the pressed channel when its button
// is on, else the first one on, else channel 1.
int choose_stat_channel(int pressed, const int enabled[4]);

}  // namespace analysis
