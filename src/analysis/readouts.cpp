#include "analysis/readouts.h"

#include <algorithm>

#include "analysis/analysis.h"
#include "analysis/channels.h"
#include "analysis/context.h"
#include "analysis/panel_setup.h"
#include "uir_ids.h"

namespace analysis {

using namespace spectrum;

namespace {

constexpr int kPassColour = 0x00A000;
constexpr int kFailColour = 0xFF0000;

}  // namespace

std::vector<Readout> readouts(const Context& cx) {
    std::vector<Readout> out;
    const Measurement& m = cx.analysis.measurement;
    const PanelSetup* setup = panel_setup_of(m.test);
    if (!setup) return out;
    for (int d = 0; d < setup->displays; ++d) {
        const ShownFigure& f = m.figures[static_cast<std::size_t>(d)];
        Readout r{f.label, f.precision, std::nullopt};
        if (f.has_value()) r.value = f.value;
        out.push_back(std::move(r));
    }
    return out;
}

std::vector<Readout> measure(const Context& cx, int test, int channel) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    ui.SetCtrlVal(p, ANALYSIS_TEST, test);
    for (int c = 0; c < kChannels; ++c) ui.SetCtrlVal(p, channel_button(c), 1);
    ui.SetCtrlVal(p, ANALYSIS_STATCH, channel);
    analysis(cx);
    return readouts(cx);
}

std::vector<int> error_entries(const Context& cx) {
    return cx.analysis.measurement.errors;
}

bool known_figure(int test, const std::string& figure) {
    const PanelSetup* setup = panel_setup_of(test);
    if (!setup) return false;
    return std::any_of(setup->figures, setup->figures + setup->displays,
                       [&figure](const spectrum::Figure& f) { return figure == f.label; });
}

void show_verdicts(const Context& cx) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    for (int d = 0; d < kDisplays; ++d)
        ui.SetCtrlAttribute(p, verdict_display(d), ui::ATTR_VISIBLE, 0);
    const Limits& limits = cx.analysis.limits;
    if (!limits.loaded()) return;
    const std::vector<Readout> shown = readouts(cx);
    const std::vector<Verdict> verdicts =
        evaluate_limits(limits, cx.analysis.measurement.test, cx.analysis.stat_ch, shown);
    for (size_t d = 0; d < shown.size(); ++d) {
        const auto v = std::find_if(verdicts.begin(), verdicts.end(),
                                    [&](const Verdict& x) { return x.figure == shown[d].label; });
        if (v == verdicts.end()) continue;
        const int ctrl = verdict_display(static_cast<int>(d));
        ui.SetCtrlVal(p, ctrl, v->pass ? "PASS" : "FAIL");
        ui.SetCtrlAttribute(p, ctrl, ui::ATTR_TEXT_COLOR, v->pass ? kPassColour : kFailColour);
        ui.SetCtrlAttribute(p, ctrl, ui::ATTR_VISIBLE, 1);
    }
}

}  // namespace analysis
