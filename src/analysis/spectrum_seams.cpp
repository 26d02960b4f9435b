#include "analysis/spectrum_seams.h"

#include "analysis/analysis.h"
#include "analysis/spectrum/reference.h"
#include "shell/app.h"

namespace analysis {

double reference_power_for_file(App& app) {
    getReferenceFFT(app.spectra, app.analysis.ch_count[0], app.analysis.fs_code,
                    app.analysis.window_index);
    return app.spectra.ref_power;
}

void spectra_after_load(App& app) {
    clean_average_buff(app);
    for (int c = 0; c < app.capture.NumberOfChannels && c < kChannels; ++c) ChannelFFT(app, 1, c);
}

}  // namespace analysis
