#include "analysis/test_panels.h"

#include "analysis/context.h"
#include "analysis/panel_setup.h"
#include "uir_ids.h"

namespace analysis {

using namespace spectrum;

namespace {

void option_switch(const Context& cx, const char* on_text, const char* off_text, int value) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    ui.SetCtrlAttribute(p, ANALYSIS_OPTION, ui::ATTR_ON_TEXT, on_text);
    ui.SetCtrlAttribute(p, ANALYSIS_OPTION, ui::ATTR_OFF_TEXT, off_text);
    ui.SetCtrlVal(p, ANALYSIS_OPTION, value);
    ui.SetCtrlAttribute(p, ANALYSIS_OPTION, ui::ATTR_VISIBLE, 1);
}

// x from 0 to half the sample rate, y over the given range, both manual.
void spectrum_axes(const Context& cx, double ymin, double ymax) {
    cx.ui.SetAxisRange(cx.shell.analysispanel, ANALYSIS_GRAPH, ui::VAL_MANUAL, 0.0,
                       cx.capture.fs / 2, ui::VAL_MANUAL, ymin, ymax);
}

}  // namespace

void makeAnalysisPanelForTime(const Context& cx) {
    option_switch(cx, "FIRST CYCLES", "FIRST CYCLES", cx.analysis.first_cycles);
    apply_panel_setup(cx, *panel_setup_of(kTimeDomain));
}

void makeAnalysisPanelForHist(const Context& cx) {
    apply_panel_setup(cx, *panel_setup_of(kHistogram));
}

void makeAnalysisPanelForSignal(const Context& cx) {
    option_switch(cx, "HARMONICS", "HARMONICS", cx.analysis.harmonic_marks);
    apply_panel_setup(cx, *panel_setup_of(kSignalFft));
    spectrum_axes(cx, -20.0, 0.0);
}

void makeAnalysisPanelForNoise(const Context& cx) {
    const int nv = cx.analysis.noise_units;
    option_switch(cx, "nV", "dB", nv);
    apply_panel_setup(cx, *panel_setup_of(kNoiseFft));
    cx.ui.SetCtrlVal(cx.shell.analysispanel, ANALYSIS_YUNIT, nv ? "nV" : "dB");
    cx.ui.SetCtrlAttribute(cx.shell.analysispanel, ANALYSIS_GRAPH, ui::ATTR_YNAME,
                           nv ? "Noise (nV/√Hz)" : "Magnitude (dB)");
    spectrum_axes(cx, -20.0, 0.0);
}

void makeAnalysisPanelForPhase(const Context& cx) {
    cx.ui.SetCtrlAttribute(cx.shell.analysispanel, ANALYSIS_OPTION, ui::ATTR_VISIBLE, 0);
    apply_panel_setup(cx, *panel_setup_of(kPhase));
    spectrum_axes(cx, -180.0, 180.0);
}

}  // namespace analysis
