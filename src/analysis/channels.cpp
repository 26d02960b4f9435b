#include "analysis/channels.h"

#include <algorithm>

#include "analysis/analysis.h"
#include "analysis/context.h"
#include "core/system_types.h"
#include "shell/panel_values.h"
#include "uir_ids.h"

namespace analysis {

namespace {
constexpr int kButtons[kChannels] = {ANALYSIS_CH1, ANALYSIS_CH2, ANALYSIS_CH3, ANALYSIS_CH4};
}

int channel_button(int channel) {
    return kButtons[channel];
}

void separate_channel_data(const Context& cx) {
    AnalysisState& st = cx.analysis;
    const auto& cap = cx.capture;
    st.ch_count.fill(0);
    // The buffer bounds the loop, so every channel stays within its arrays.
    const int records = std::clamp(cap.num_samples, 0, core::kBufferEntries);
    for (int i = 0; i < records; ++i) {
        const int c = (cap.jarr[i] >> 4) & 3;
        const int k = st.ch_count[c]++;
        st.data(c)[k] = cap.iarr[i];
        st.tag(c)[k] = cap.jarr[i];
    }
}

void read_channel_controls(const Context& cx) {
    AnalysisState& st = cx.analysis;
    const int p = cx.shell.analysispanel;
    st.stat_ch = shell::get_int(cx.ui, p, ANALYSIS_STATCH);
    for (int c = 0; c < kChannels; ++c) st.plot_enabled[c] = shell::get_int(cx.ui, p, kButtons[c]);
}

void show_stat_channel(const Context& cx) {
    AnalysisState& st = cx.analysis;
    const int p = cx.shell.analysispanel;
    if (cx.ui.SetCtrlVal(p, ANALYSIS_STATCH, st.stat_ch) < 0) {
        int count = 0;
        cx.ui.GetNumListItems(p, ANALYSIS_STATCH, &count);
        if (count > 0) st.stat_ch = shell::get_int(cx.ui, p, ANALYSIS_STATCH);
    }
    const int colour = kChannelLooks[std::clamp(st.stat_ch, 0, kChannels - 1)].colour;
    cx.ui.SetCtrlAttribute(p, ANALYSIS_STATCH, ui::ATTR_TEXT_COLOR, colour);
}

void rebuild_channel_controls(const Context& cx) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    const int channels = cx.capture.NumberOfChannels;
    ui.ClearListCtrl(p, ANALYSIS_STATCH);
    // Before the first capture or load there is no channel to offer; the buttons stay as
    // they are. Dimming never switches a button off.
    if (channels < 1 || channels > kChannels) return;
    for (int c = 0; c < kChannels; ++c) {
        if (c < channels)
            ui.InsertListItem(p, ANALYSIS_STATCH, -1, kChannelLooks[c].label,
                              kChannelLooks[c].value);
        ui.SetCtrlAttribute(p, kButtons[c], ui::ATTR_DIMMED, c < channels ? 0 : 1);
    }
}

int choose_stat_channel(int pressed, const int enabled[4]) {
    if (enabled[pressed]) return pressed;
    for (int c = 0; c < kChannels; ++c)
        if (enabled[c]) return c;
    return 0;
}

}  // namespace analysis
