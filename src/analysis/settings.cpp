#include "analysis/settings.h"

#include "core/system_types.h"
#include "shell/app.h"
#include "shell/panel_values.h"
#include "uir_ids.h"

namespace analysis {

namespace {
int field_int(App& app, int ctrl) {
    return shell::get_int(app.ui, app.shell.setuppanel, ctrl);
}
double field_double(App& app, int ctrl) {
    return shell::get_double(app.ui, app.shell.setuppanel, ctrl);
}
}  // namespace

void window_select(App& app) {
    app.analysis.window_index = field_int(app, SETUP_WINDOW);
}

void fullscale_code(App& app) {
    app.analysis.fs_code = field_int(app, SETUP_FSCODE);
}

void fullscale_volts(App& app) {
    app.analysis.fs_volt = field_double(app, SETUP_FSVOLTS);
}

void bwlimit(App& app) {
    int& limit = app.analysis.limit_bw;
    limit = field_int(app, SETUP_LIMITBW);
    const double half = app.capture.fs / 2;
    if (limit > half) {
        limit = static_cast<int>(half);
        app.ui.SetCtrlVal(app.shell.setuppanel, SETUP_LIMITBW, limit);
    }
}

void read_settings(App& app) {
    app.capture.num_samples = field_int(app, SETUP_SAMPLES);
    app.capture.fs = field_int(app, SETUP_RATE);
    window_select(app);
    fullscale_code(app);
    fullscale_volts(app);
    app.analysis.limit_bw = field_int(app, SETUP_LIMITBW);
}

int setup_channel_count(App& app) {
    return core::channels_from_code(field_int(app, SETUP_CHANNELS));
}

}  // namespace analysis
