#include "analysis/channels.h"

#include <algorithm>

#include "analysis/analysis.h"
#include "core/system_types.h"
#include "shell/app.h"
#include "shell/panel_values.h"
#include "uir_ids.h"

namespace analysis {

namespace {
constexpr int kButtons[kChannels] = {ANALYSIS_CH1, ANALYSIS_CH2, ANALYSIS_CH3, ANALYSIS_CH4};
}

int channel_button(int channel) {
    return kButtons[channel];
}

void separate_channel_data(App& app) {
    AnalysisState& st = app.analysis;
    const auto& cap = app.capture;
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

void read_channel_controls(App& app) {
    AnalysisState& st = app.analysis;
    const int p = app.shell.analysispanel;
    st.stat_ch = shell::get_int(app.ui, p, ANALYSIS_STATCH);
    for (int c = 0; c < kChannels; ++c) st.plot_enabled[c] = shell::get_int(app.ui, p, kButtons[c]);
}

void show_stat_channel(App& app) {
    AnalysisState& st = app.analysis;
    const int p = app.shell.analysispanel;
    if (app.ui.SetCtrlVal(p, ANALYSIS_STATCH, st.stat_ch) < 0) {
        int count = 0;
        app.ui.GetNumListItems(p, ANALYSIS_STATCH, &count);
        if (count > 0) st.stat_ch = shell::get_int(app.ui, p, ANALYSIS_STATCH);
    }
    const int colour = kChannelLooks[std::clamp(st.stat_ch, 0, kChannels - 1)].colour;
    app.ui.SetCtrlAttribute(p, ANALYSIS_STATCH, ui::ATTR_TEXT_COLOR, colour);
}

void rebuild_channel_controls(App& app) {
    auto& ui = app.ui;
    const int p = app.shell.analysispanel;
    const int channels = app.capture.NumberOfChannels;
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
