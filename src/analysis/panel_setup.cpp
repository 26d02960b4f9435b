#include "analysis/panel_setup.h"

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

namespace {

// How a read-out the analysis could not produce is shown.
enum class Missing { Hidden, Dimmed };

void show_readout(const Context& cx, int index, const Statistic& s, Missing missing) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    const int d = kStatDisplays[index];
    ShownFigure& m = cx.analysis.measurement.figures[index];
    m.label = s.label;
    m.precision = s.precision;
    m.value = s.value.value_or(0.0);
    ui.SetCtrlAttribute(p, d, ui::ATTR_LABEL_TEXT, m.label);
    ui.SetCtrlAttribute(p, d, ui::ATTR_PRECISION, m.precision);
    if (missing == Missing::Hidden) {
        m.visible = s.value.has_value();
        ui.SetCtrlAttribute(p, d, ui::ATTR_VISIBLE, m.visible ? 1 : 0);
    } else {
        m.dimmed = !s.value.has_value();
        ui.SetCtrlAttribute(p, d, ui::ATTR_DIMMED, m.dimmed ? 1 : 0);
    }
    ui.SetCtrlVal(p, d, m.value);
}

}  // namespace

void show_figure(const Context& cx, int index, const Statistic& figure) {
    show_readout(cx, index, figure, Missing::Hidden);
}

void show_statistic(const Context& cx, int index, const Statistic& s) {
    show_readout(cx, index, s, Missing::Dimmed);
}

void show_value(const Context& cx, int index, double value) {
    cx.analysis.measurement.figures[index].value = value;
    cx.ui.SetCtrlVal(cx.shell.analysispanel, kStatDisplays[index], value);
}

void whiten_displays(const Context& cx) {
    for (int d : kStatDisplays)
        cx.ui.SetCtrlAttribute(cx.shell.analysispanel, d, ui::ATTR_TEXT_COLOR, ui::VAL_WHITE);
}

void apply_panel_setup(const Context& cx, const PanelSetup& s) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    for (int i = 0; i < kDisplays; ++i) {
        const int d = kStatDisplays[i];
        ShownFigure& m = cx.analysis.measurement.figures[i];
        m.visible = i < s.displays;
        m.dimmed = false;
        ui.SetCtrlAttribute(p, d, ui::ATTR_VISIBLE, m.visible ? 1 : 0);
        ui.SetCtrlAttribute(p, kVerdicts[i], ui::ATTR_VISIBLE, 0);
        ui.SetCtrlAttribute(p, d, ui::ATTR_DIMMED, 0);
        if (i >= s.displays) continue;
        m.label = s.figures[i].label;
        m.precision = s.figures[i].precision;
        ui.SetCtrlAttribute(p, d, ui::ATTR_LABEL_TEXT, m.label);
        ui.SetCtrlAttribute(p, d, ui::ATTR_PRECISION, m.precision);
    }
    whiten_displays(cx);
    ui.SetCtrlAttribute(p, ANALYSIS_GRAPH, ui::ATTR_LABEL_TEXT, s.title);
    ui.SetCtrlAttribute(p, ANALYSIS_GRAPH, ui::ATTR_XNAME, s.xname);
    ui.SetCtrlAttribute(p, ANALYSIS_GRAPH, ui::ATTR_YNAME, s.yname);
    ui.SetCtrlAttribute(p, ANALYSIS_CURSORX, ui::ATTR_LABEL_TEXT, s.cursor_x);
    ui.SetCtrlAttribute(p, ANALYSIS_CURSORY, ui::ATTR_LABEL_TEXT, s.cursor_y);
    ui.SetCtrlAttribute(p, ANALYSIS_CURSORX, ui::ATTR_PRECISION, s.cursor_precision);
    ui.SetCtrlAttribute(p, ANALYSIS_CURSORY, ui::ATTR_PRECISION, s.cursor_precision);
    ui.SetCtrlVal(p, ANALYSIS_XUNIT, s.xunit);
    ui.SetCtrlVal(p, ANALYSIS_YUNIT, s.yunit);
}

}  // namespace analysis
