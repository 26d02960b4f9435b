#include "analysis/settings.h"

#include "analysis/context.h"
#include "core/system_types.h"

namespace analysis {

void window_select(const Context& cx) {
    cx.analysis.window_index = cx.settings.analysis.window;
}

void fullscale_code(const Context& cx) {
    cx.analysis.fs_code = cx.settings.analysis.fs_code;
}

void fullscale_volts(const Context& cx) {
    cx.analysis.fs_volt = cx.settings.analysis.fs_volts;
}

void bwlimit(const Context& cx) {
    int& limit = cx.analysis.limit_bw;
    limit = cx.settings.analysis.limit_bw;
    const double half = cx.capture.fs / 2;
    if (limit > half) {
        limit = static_cast<int>(half);
        cx.settings.analysis.limit_bw = limit;
        cx.ui.ShowBound(&cx.settings.analysis.limit_bw);
    }
}

void read_settings(const Context& cx) {
    cx.capture.num_samples = cx.settings.capture.samples;
    cx.capture.fs = cx.settings.setup.rate;
    window_select(cx);
    fullscale_code(cx);
    fullscale_volts(cx);
    cx.analysis.limit_bw = cx.settings.analysis.limit_bw;
}

int setup_channel_count(const Context& cx) {
    return core::channels_from_code(cx.settings.setup.channels);
}

}  // namespace analysis
