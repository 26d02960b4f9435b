#include "analysis/settings.h"

#include "analysis/context.h"
#include "core/system_types.h"
#include "shell/panel_values.h"
#include "uir_ids.h"

namespace analysis {

namespace {
int field_int(const Context& cx, int ctrl) {
    return shell::get_int(cx.ui, cx.shell.setuppanel, ctrl);
}
double field_double(const Context& cx, int ctrl) {
    return shell::get_double(cx.ui, cx.shell.setuppanel, ctrl);
}
}  // namespace

void window_select(const Context& cx) {
    cx.analysis.window_index = field_int(cx, SETUP_WINDOW);
}

void fullscale_code(const Context& cx) {
    cx.analysis.fs_code = field_int(cx, SETUP_FSCODE);
}

void fullscale_volts(const Context& cx) {
    cx.analysis.fs_volt = field_double(cx, SETUP_FSVOLTS);
}

void bwlimit(const Context& cx) {
    int& limit = cx.analysis.limit_bw;
    limit = field_int(cx, SETUP_LIMITBW);
    const double half = cx.capture.fs / 2;
    if (limit > half) {
        limit = static_cast<int>(half);
        cx.ui.SetCtrlVal(cx.shell.setuppanel, SETUP_LIMITBW, limit);
    }
}

void read_settings(const Context& cx) {
    cx.capture.num_samples = field_int(cx, SETUP_SAMPLES);
    cx.capture.fs = field_int(cx, SETUP_RATE);
    window_select(cx);
    fullscale_code(cx);
    fullscale_volts(cx);
    cx.analysis.limit_bw = field_int(cx, SETUP_LIMITBW);
}

int setup_channel_count(const Context& cx) {
    return core::channels_from_code(field_int(cx, SETUP_CHANNELS));
}

}  // namespace analysis
