#include "analysis/panel_setup.h"

#include <cstdio>
#include <string>

#include "analysis/context.h"
#include "uir_ids.h"

namespace analysis {

using namespace spectrum;

namespace {
constexpr int kStatDisplays[kDisplays] = {ANALYSIS_STAT1,  ANALYSIS_STAT2,  ANALYSIS_STAT3,
                                          ANALYSIS_STAT4,  ANALYSIS_STAT5,  ANALYSIS_STAT6,
                                          ANALYSIS_STAT7,  ANALYSIS_STAT8,  ANALYSIS_STAT9,
                                          ANALYSIS_STAT10, ANALYSIS_STAT11, ANALYSIS_STAT12};
constexpr int kVerdicts[kDisplays] = {ANALYSIS_VERDICT1,  ANALYSIS_VERDICT2,  ANALYSIS_VERDICT3,
                                      ANALYSIS_VERDICT4,  ANALYSIS_VERDICT5,  ANALYSIS_VERDICT6,
                                      ANALYSIS_VERDICT7,  ANALYSIS_VERDICT8,  ANALYSIS_VERDICT9,
                                      ANALYSIS_VERDICT10, ANALYSIS_VERDICT11, ANALYSIS_VERDICT12};
}  // namespace

int stat_display(int index) {
    return kStatDisplays[index];
}

int verdict_display(int index) {
    return kVerdicts[index];
}

void show_readouts(const Context& cx) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    for (int i = 0; i < kDisplays; ++i) {
        const int d = kStatDisplays[i];
        const ShownFigure& f = cx.analysis.measurement.figures[i];
        ui.SetCtrlAttribute(p, d, ui::ATTR_VISIBLE, f.visible ? 1 : 0);
        ui.SetCtrlAttribute(p, d, ui::ATTR_DIMMED, f.dimmed ? 1 : 0);
        if (!f.visible) continue;
        ui.SetCtrlAttribute(p, d, ui::ATTR_LABEL_TEXT, f.label);
        ui.SetCtrlAttribute(p, d, ui::ATTR_UNITS_TEXT, std::string(spectrum::units_of(f.label)));
        ui.SetCtrlAttribute(p, d, ui::ATTR_PRECISION, f.precision);
        ui.SetCtrlVal(p, d, f.value);
    }
}

void show_tones(const Context& cx) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    const Measurement& m = cx.analysis.measurement;
    ui.ClearListCtrl(p, ANALYSIS_TONES);
    ui.SetCtrlAttribute(p, ANALYSIS_TONES, ui::ATTR_VISIBLE, m.test == kSignalFft ? 1 : 0);
    if (m.test == kSignalFft && m.tones.empty())
        ui.InsertListItem(p, ANALYSIS_TONES, -1, "No fundamental", 0);
    for (const spectrum::Tone& t : m.tones) {
        char line[96];
        const std::string order = t.order == 1 ? "F" : std::to_string(t.order);
        if (t.level)
            std::snprintf(line, sizeof line, "%-2s %12.3f Hz %9.2f %s", order.c_str(), t.frequency,
                          *t.level, t.order == 1 ? "dBFS" : "dBc");
        else
            std::snprintf(line, sizeof line, "%-2s %12.3f Hz %9s", order.c_str(), t.frequency, "-");
        ui.InsertListItem(p, ANALYSIS_TONES, -1, line, t.order);
    }
}

void whiten_displays(const Context& cx) {
    for (int d : kStatDisplays)
        cx.ui.SetCtrlAttribute(cx.shell.analysispanel, d, ui::ATTR_TEXT_COLOR, ui::VAL_WHITE);
}

void apply_panel_setup(const Context& cx, const PanelSetup& s) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    for (int v : kVerdicts) ui.SetCtrlAttribute(p, v, ui::ATTR_VISIBLE, 0);
    whiten_displays(cx);
    ui.SetCtrlAttribute(p, ANALYSIS_GRAPH, ui::ATTR_LABEL_TEXT, s.title);
    ui.SetCtrlAttribute(p, ANALYSIS_GRAPH, ui::ATTR_XNAME, s.xname);
    ui.SetCtrlAttribute(p, ANALYSIS_GRAPH, ui::ATTR_YNAME, s.yname);
    ui.SetCtrlAttribute(p, ANALYSIS_GRAPH, ui::ATTR_XAXIS_LOG, s.log_x ? 1 : 0);
    ui.SetCtrlAttribute(p, ANALYSIS_CURSORX, ui::ATTR_LABEL_TEXT, s.cursor_x);
    ui.SetCtrlAttribute(p, ANALYSIS_CURSORY, ui::ATTR_LABEL_TEXT, s.cursor_y);
    ui.SetCtrlAttribute(p, ANALYSIS_CURSORX, ui::ATTR_PRECISION, s.cursor_precision);
    ui.SetCtrlAttribute(p, ANALYSIS_CURSORY, ui::ATTR_PRECISION, s.cursor_precision);
    ui.SetCtrlVal(p, ANALYSIS_XUNIT, s.xunit);
    ui.SetCtrlVal(p, ANALYSIS_YUNIT, s.yunit);
}

}  // namespace analysis
