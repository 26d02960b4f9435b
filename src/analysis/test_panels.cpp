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

void show_digitizer_controls(const Context& cx, bool shown) {
    for (int ctrl : {ANALYSIS_SEGMENT, ANALYSIS_SMOOTH, ANALYSIS_SENSOR})
        cx.ui.SetCtrlAttribute(cx.shell.analysispanel, ctrl, ui::ATTR_VISIBLE, shown ? 1 : 0);
}

void read_digitizer_controls(const Context& cx) {
    const int p = cx.shell.analysispanel;
    DigitizerOptions& o = cx.analysis.digitizer;
    int segment = 0, smooth = 0;
    double sensor = 0.0;
    cx.ui.GetCtrlVal(p, ANALYSIS_SEGMENT, &segment);
    cx.ui.GetCtrlVal(p, ANALYSIS_SMOOTH, &smooth);
    cx.ui.GetCtrlVal(p, ANALYSIS_SENSOR, &sensor);
    o.segment = segment;
    o.smooth = smooth;
    o.sensor = sensor;
}

void show_digitizer_options(const Context& cx) {
    const int p = cx.shell.analysispanel;
    const DigitizerOptions& o = cx.analysis.digitizer;
    // A segment the ring does not list (set from the command line) is shown as it is not: the
    // ring keeps its value, the options keep theirs.
    int index = 0;
    if (cx.ui.GetIndexFromValue(p, ANALYSIS_SEGMENT, &index, o.segment) >= 0)
        cx.ui.SetCtrlVal(p, ANALYSIS_SEGMENT, o.segment);
    cx.ui.SetCtrlVal(p, ANALYSIS_SMOOTH, o.smooth);
    cx.ui.SetCtrlVal(p, ANALYSIS_SENSOR, o.sensor);
}

void makeAnalysisPanelForDigitizer(const Context& cx, int test) {
    cx.ui.SetCtrlAttribute(cx.shell.analysispanel, ANALYSIS_OPTION, ui::ATTR_VISIBLE, 0);
    apply_panel_setup(cx, *panel_setup_of(test));
    show_digitizer_controls(cx, true);
    show_digitizer_options(cx);
    // With a sensor the noise plots are ground acceleration against the noise models.
    if (cx.analysis.digitizer.sensor > 0.0 && (test == kPsd || test == kSelfNoise))
        cx.ui.SetCtrlAttribute(cx.shell.analysispanel, ANALYSIS_GRAPH, ui::ATTR_YNAME,
                               "Acceleration (dB re 1 (m/s²)²/Hz)");
}

void makeAnalysisPanelForPhase(const Context& cx) {
    cx.ui.SetCtrlAttribute(cx.shell.analysispanel, ANALYSIS_OPTION, ui::ATTR_VISIBLE, 0);
    apply_panel_setup(cx, *panel_setup_of(kPhase));
    spectrum_axes(cx, -180.0, 180.0);
}

}  // namespace analysis
