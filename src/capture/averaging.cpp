#include "capture/averaging.h"

#include "analysis/analysis.h"
#include "capture/capture.h"
#include "shell/app.h"
#include "shell/panel_values.h"
#include "uir_ids.h"

namespace capture {

int data_capture_analysis(App& app) {
    auto& ui = app.ui;
    const int p = app.shell.setuppanel;
    ui.SetCtrlAttribute(app.shell.analysispanel, ANALYSIS_TEST, ui::ATTR_DIMMED, 0);
    ui.SetCtrlAttribute(p, SETUP_CAPTURE, ui::ATTR_LABEL_TEXT, "Please wait");
    const int code = shell::get_int(ui, p, SETUP_CHANNELS);
    app.capture.NumberOfChannels = code == 0 ? 4 : code;
    ui.SetCtrlVal(p, SETUP_PROGRESS, 0);
    ui.SetCtrlAttribute(p, SETUP_PROGRESS, ui::ATTR_ON_COLOR, 0x0000FF);
    analysis::clean_average_buff(app);
    const int asked = shell::get_int(ui, p, SETUP_AVERAGE);
    const int effective = asked == 0 ? 1 : asked;
    int left = effective;
    ui.SetCtrlVal(p, SETUP_COUNTDOWN, left);
    while (left > 0) {
        if (capture_data(app) != 0) return 0;
        analysis::separate_channel_data(app);
        for (int c = 0; c < app.capture.NumberOfChannels; ++c)
            analysis::ChannelFFT(app, effective, c);
        ui.SetCtrlVal(p, SETUP_COUNTDOWN, --left);
    }
    ui.DisplayPanel(app.shell.analysispanel);
    analysis::analysis(app);
    ui.SetCtrlAttribute(p, SETUP_CAPTURE, ui::ATTR_LABEL_TEXT, "Capture Data");
    return 0;
}

int usb_capture_data(App& app) {
    app.ui.SuspendTimerCallbacks();
    data_capture_analysis(app);
    app.ui.ResumeTimerCallbacks();
    return 0;
}

void averaging_callbacks(App& app) {
    app.callbacks.add_ctrl("usb_capture_data", [&app](int, int, int event, void*) {
        if (event == ui::EVENT_COMMIT) usb_capture_data(app);
        return 0;
    });
    app.callbacks.add_menu("data_capture_menu", [&app](int, int, void*, int) {
        app.ui.DisplayPanel(app.shell.setuppanel);
        usb_capture_data(app);
    });
}

}  // namespace capture
