#include "capture/averaging.h"

#include <string>

#include "analysis/analysis.h"
#include "analysis/spectra.h"
#include "capture/capture.h"
#include "core/system_types.h"
#include "shell/app.h"
#include "shell/show_outcome.h"
#include "uir_ids.h"

namespace capture {

core::Status capture_and_analyse(App& app) {
    auto& ui = app.ui;
    const int p = app.shell.setuppanel;
    ui.SetCtrlAttribute(app.shell.analysispanel, ANALYSIS_TEST, ui::ATTR_DIMMED, 0);
    ui.SetCtrlAttribute(p, SETUP_CAPTURE, ui::ATTR_LABEL_TEXT, "Please wait");
    const int held_channels = app.capture.NumberOfChannels;
    app.capture.NumberOfChannels = core::channels_from_code(app.settings.setup.channels);
    ui.SetCtrlVal(p, SETUP_PROGRESS, 0);
    ui.SetCtrlAttribute(p, SETUP_PROGRESS, ui::ATTR_ON_COLOR, 0x0000FF);
    const int asked = app.settings.capture.average;
    const int effective = asked == 0 ? 1 : asked;
    int left = effective;
    ui.SetCtrlVal(p, SETUP_COUNTDOWN, left);
    app.capture.progress = {1, effective, 0, 0, app.clock.now()};
    while (left > 0) {
        app.capture.progress.block = effective - left + 1;
        core::Status s = capture_block(app);
        if (!s || left == 1) ui.EndProgress();
        if (!s) {
            // A first block that fails leaves the block and the spectra held before it.
            if (left == effective) app.capture.NumberOfChannels = held_channels;
            s.step = "block " + std::to_string(effective - left + 1) + ": " + s.step;
            return s;
        }
        if (left == effective) analysis::clear_spectra(app);
        analysis::separate_channel_data(app);
        analysis::keep_block(app);
        for (int c = 0; c < app.capture.NumberOfChannels; ++c)
            analysis::add_channel_spectrum(app, effective, c);
        ui.SetCtrlVal(p, SETUP_COUNTDOWN, --left);
    }
    ui.DisplayPanel(app.shell.analysispanel);
    analysis::analysis(app);
    ui.SetCtrlAttribute(p, SETUP_CAPTURE, ui::ATTR_LABEL_TEXT, "Capture Data");
    return core::Status::success();
}

int data_capture_analysis(App& app) {
    shell::show_outcome(app.ui, capture_and_analyse(app));
    return 0;
}

int usb_capture_data(App& app) {
    shell::run_and_show(app.ui, [&app] { return capture_and_analyse(app); });
    return 0;
}

void averaging_callbacks(App& app) {
    ui::on_commit(app.callbacks, "usb_capture_data", [&app] { usb_capture_data(app); });
    app.callbacks.add_menu("data_capture_menu", [&app](int, int, void*, int) {
        app.ui.DisplayPanel(app.shell.setuppanel);
        usb_capture_data(app);
    });
}

}  // namespace capture
