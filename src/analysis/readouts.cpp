#include "analysis/readouts.h"

#include <algorithm>

#include "analysis/context.h"
#include "analysis/panel_setup.h"
#include "uir_ids.h"

namespace analysis {

using namespace spectrum;

namespace {

constexpr int kPassColour = 0x00A000;
constexpr int kFailColour = 0xFF0000;

}  // namespace

RunInputs run_inputs(const Context& cx) {
    return {cx.analysis, cx.spectra, cx.capture.fs};
}

std::vector<Readout> readouts(const Measurement& m) {
    std::vector<Readout> out;
    const PanelSetup* setup = panel_setup_of(m.test);
    if (!setup) return out;
    for (int d = 0; d < setup->displays; ++d) {
        const ShownFigure& f = m.figures[static_cast<std::size_t>(d)];
        Readout r{f.label, f.precision, std::nullopt, f.note, f.upper_bound};
        if (f.has_value()) r.value = f.value;
        out.push_back(std::move(r));
    }
    return out;
}

Measurement measure(const Context& cx, int test, int channel) {
    Measurement m;
    lay_out(m, test);
    RunRequest request;
    request.test = test;
    request.stat_ch = channel;
    run_test(run_inputs(cx), request, m);
    return m;
}

bool is_digitizer_test(int test) {
    return test == kPsd || test == kSelfNoise || test == kCrosstalk || test == kSineFit;
}

const DigitizerResults& digitizer_view(const Context& cx, int test) {
    return test == kSineFit ? digitizer_fits(cx.analysis, cx.capture.fs)
                            : digitizer_results(cx.analysis, cx.capture.fs);
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
    const std::vector<Readout> shown = readouts(cx.analysis.measurement);
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
