#include "analysis/fft_panels.h"

#include "analysis/panel_setup.h"
#include "shell/app.h"
#include "uir_ids.h"

namespace analysis {

using namespace spectrum;

namespace {

void option_switch(App& app, const char* on_text, const char* off_text, int value) {
    auto& ui = app.ui;
    const int p = app.shell.analysispanel;
    ui.SetCtrlAttribute(p, ANALYSIS_OPTION, ui::ATTR_ON_TEXT, on_text);
    ui.SetCtrlAttribute(p, ANALYSIS_OPTION, ui::ATTR_OFF_TEXT, off_text);
    ui.SetCtrlVal(p, ANALYSIS_OPTION, value);
    ui.SetCtrlAttribute(p, ANALYSIS_OPTION, ui::ATTR_VISIBLE, 1);
}

// x from 0 to half the sample rate, y over the given range, both manual.
void spectrum_axes(App& app, double ymin, double ymax) {
    app.ui.SetAxisRange(app.shell.analysispanel, ANALYSIS_GRAPH, ui::VAL_MANUAL, 0.0,
                        app.capture.fs / 2, ui::VAL_MANUAL, ymin, ymax);
}

}  // namespace

void makeAnalysisPanelForSignal(App& app) {
    option_switch(app, "HARMONICS", "HARMONICS", app.analysis.harmonic_marks);
    apply_panel_setup(app, *panel_setup_of(kSignalFft));
    spectrum_axes(app, -20.0, 0.0);
}

void makeAnalysisPanelForNoise(App& app) {
    const int nv = app.analysis.noise_units;
    option_switch(app, "nV", "dB", nv);
    apply_panel_setup(app, *panel_setup_of(kNoiseFft));
    app.ui.SetCtrlVal(app.shell.analysispanel, ANALYSIS_YUNIT, nv ? "nV" : "dB");
    spectrum_axes(app, -20.0, 0.0);
}

void makeAnalysisPanelForPhase(App& app) {
    app.ui.SetCtrlAttribute(app.shell.analysispanel, ANALYSIS_OPTION, ui::ATTR_VISIBLE, 0);
    apply_panel_setup(app, *panel_setup_of(kPhase));
    spectrum_axes(app, -180.0, 180.0);
}

}  // namespace analysis
