// The averaged spectra, fed from the channel arrays with the window chosen on the setup panel.
#include "analysis/analysis.h"
#include "analysis/spectrum/averaging.h"
#include "shell/app.h"

namespace analysis {

void clean_average_buff(App& app) { analysis::clean_average_buff(app.spectra); }

void ChannelFFT(App& app, int averaging_count, int channel) {
    if (channel < 0 || channel >= kChannels) return;
    const AnalysisState& st = app.analysis;
    analysis::ChannelFFT(app.spectra, averaging_count, channel, st.data(channel),
                         st.ch_count[channel], st.window_index);
}

}  // namespace analysis
