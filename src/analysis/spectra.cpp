#include "analysis/spectra.h"

#include "analysis/spectrum/averaging.h"
#include "analysis/spectrum/reference.h"
#include "dsp/dsp.h"
#include "shell/app.h"

namespace analysis {

using namespace spectrum;

void clear_spectra(App& app) {
    spectrum::clean_average_buff(app.spectra);
}

int add_channel_spectrum(App& app, int averaging_count, int channel) {
    if (channel < 0 || channel >= kChannels) return dsp::kInvalidCount;
    const AnalysisState& st = app.analysis;
    return spectrum::ChannelFFT(app.spectra, averaging_count, channel, st.data(channel),
                                st.ch_count[channel], st.window_index);
}

double reference_power_for_file(App& app) {
    spectrum::getReferenceFFT(app.spectra, app.analysis.ch_count[0], app.analysis.fs_code,
                              app.analysis.window_index);
    return app.spectra.ref_power;
}

void spectra_after_load(App& app) {
    clear_spectra(app);
    for (int c = 0; c < app.capture.NumberOfChannels && c < kChannels; ++c)
        add_channel_spectrum(app, 1, c);
}

}  // namespace analysis
