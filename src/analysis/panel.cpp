#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "analysis/analysis.h"
#include "analysis/channels.h"
#include "analysis/context.h"
#include "analysis/data_menu.h"
#include "analysis/errors.h"
#include "analysis/file_menus.h"
#include "analysis/markers.h"
#include "analysis/panel_setup.h"
#include "analysis/readouts.h"
#include "analysis/settings.h"
#include "analysis/test_panels.h"
#include "analysis/test_run.h"
#include "analysis/zoom.h"
#include "shell/panel_values.h"
#include "uir_ids.h"

namespace analysis {

using namespace spectrum;

namespace {

// By test selector value.
constexpr void (*kPanels[])(const Context&) = {
    makeAnalysisPanelForTime,
    makeAnalysisPanelForHist,
    makeAnalysisPanelForSignal,
    makeAnalysisPanelForNoise,
    makeAnalysisPanelForPhase,
    [](const Context& cx) { makeAnalysisPanelForDigitizer(cx, kPsd); },
    [](const Context& cx) { makeAnalysisPanelForDigitizer(cx, kSelfNoise); },
    [](const Context& cx) { makeAnalysisPanelForDigitizer(cx, kCrosstalk); },
    [](const Context& cx) { makeAnalysisPanelForDigitizer(cx, kSineFit); },
};

// The selector's test; -1 for a value no test has.
int selected_test(const Context& cx) {
    const int test = shell::get_int(cx.ui, cx.shell.analysispanel, ANALYSIS_TEST);
    return test >= 0 && test < static_cast<int>(std::size(kPanels)) ? test : -1;
}

RunRequest panel_request(const Context& cx, int test) {
    const AnalysisState& st = cx.analysis;
    RunRequest r;
    r.test = test;
    r.stat_ch = st.stat_ch;
    r.enabled = st.plot_enabled;
    r.harmonic_marks = st.harmonic_marks != 0;
    r.noise_units = st.noise_units != 0;
    r.first_cycles = st.first_cycles != 0;
    return r;
}

void draw_plot(const Context& cx, const ChannelPlot& plot) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    const bool trace = plot.channel >= 0 && plot.channel < kChannels;
    const int colour = trace ? cx.analysis.plot_colour[plot.channel] : plot.colour;
    if (const auto& a = plot.axes)
        ui.SetAxisRange(p, ANALYSIS_GRAPH, ui::VAL_MANUAL, a->x_min, a->x_max,
                        a->y_auto ? ui::VAL_AUTOSCALE : ui::VAL_MANUAL, a->y_min, a->y_max);
    const int style = plot.bars ? ui::VAL_VERTICAL_BAR : ui::VAL_THIN_LINE;
    const bool codes = !plot.codes.empty();
    const int n = static_cast<int>(codes ? plot.codes.size() : plot.y.size());
    int handle = 0;
    if (plot.x.empty() && codes)
        handle = ui.PlotY(p, ANALYSIS_GRAPH, plot.codes.data(), n, style, colour);
    else if (plot.x.empty())
        handle = ui.PlotY(p, ANALYSIS_GRAPH, plot.y.data(), n, style, colour);
    else if (codes)
        handle = ui.PlotXY(p, ANALYSIS_GRAPH, plot.x.data(), plot.codes.data(), n, style, colour);
    else
        handle = ui.PlotXY(p, ANALYSIS_GRAPH, plot.x.data(), plot.y.data(), n, style, colour);
    if (trace) cx.analysis.plot_handle[plot.channel] = std::max(handle, 0);
    ui.SetPlotAttribute(p, ANALYSIS_GRAPH, handle, ui::ATTR_PLOT_LG_TEXT,
                        trace ? "CH " + std::to_string(plot.channel + 1)
                              : std::string(plot.legend ? plot.legend : ""));
    for (const FftMarkerText& t : plot.texts)
        ui.PlotText(p, ANALYSIS_GRAPH, t.x, t.y, t.text, ui::VAL_BLACK);
    for (const FftMarkerLine& l : plot.lines)
        ui.PlotLine(p, ANALYSIS_GRAPH, l.x, l.y_from, l.x, l.y_to,
                    l.fundamental ? ui::VAL_RED : colour);
}

// The statistics of the channel the ring now shows, over the test the panel shows.
void stat_channel(const Context& cx) {
    AnalysisState& st = cx.analysis;
    whiten_displays(cx);
    st.stat_ch = shell::get_int(cx.ui, cx.shell.analysispanel, ANALYSIS_STATCH);
    show_stat_channel(cx);
    run_stats(run_inputs(cx), st.measurement.test, st.stat_ch, st.plot_enabled, st.measurement);
    show_readouts(cx);
    show_tones(cx);
    show_errors(cx);
    show_verdicts(cx);
}

void plot_enable(const Context& cx, int channel) {
    AnalysisState& st = cx.analysis;
    read_channel_controls(cx);
    int enabled[kChannels];
    std::copy(st.plot_enabled.begin(), st.plot_enabled.end(), enabled);
    st.stat_ch = choose_stat_channel(channel, enabled);
    show_stat_channel(cx);
    analysis(cx);
}

void fft_ctrl(const Context& cx) {
    AnalysisState& st = cx.analysis;
    const int p = cx.shell.analysispanel;
    const int test = shell::get_int(cx.ui, p, ANALYSIS_TEST);
    const int option = shell::get_int(cx.ui, p, ANALYSIS_OPTION);
    if (test == kTimeDomain) st.first_cycles = option;
    if (test == kSignalFft) st.harmonic_marks = option;
    if (test == kNoiseFft) st.noise_units = option;
    analysis(cx);
}

}  // namespace

void initAnalysis(const Context& cx) {
    AnalysisState& st = cx.analysis;
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    st.code_span = static_cast<int>(std::pow(2, 24));
    st.code_max = st.code_span / 2 - 1;
    st.code_min = -(st.code_span / 2);
    // Until the first transform, the window parameters of window 3.
    cx.spectra.tone_bins = 6;
    cx.spectra.dc_bins = 13;
    for (int c = 0; c < kChannels; ++c) {
        st.plot_colour[c] = kChannelLooks[c].colour;
        ui.SetCtrlAttribute(p, channel_button(c), ui::ATTR_ON_COLOR, st.plot_colour[c]);
    }
    // The displays show whatever a test computes, infinities included.
    for (int d = 0; d < kDisplays; ++d) {
        ui.SetCtrlAttribute(p, stat_display(d), ui::ATTR_MIN_VALUE,
                            -std::numeric_limits<double>::infinity());
        ui.SetCtrlAttribute(p, stat_display(d), ui::ATTR_MAX_VALUE,
                            std::numeric_limits<double>::infinity());
    }
    read_settings(cx);
    ui.SetCtrlAttribute(p, ANALYSIS_OPTION, ui::ATTR_VISIBLE, 0);
    remember_initial_axes(cx);
    analysis(cx);
}

void analysis(const Context& cx) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    ui.SetMouseCursor(ui::VAL_HOUR_GLASS_CURSOR);
    ui.SetCtrlAttribute(p, ANALYSIS_GRAPH, ui::ATTR_REFRESH_GRAPH, 0);
    reset_zoom(cx);
    ui.SetCtrlAttribute(p, ANALYSIS_OPTION, ui::ATTR_VISIBLE, 0);
    show_digitizer_controls(cx, false);
    read_channel_controls(cx);
    const int test = selected_test(cx);
    Measurement& m = cx.analysis.measurement;
    lay_out(m, test);
    ui.DeleteGraphPlot(p, ANALYSIS_GRAPH, -1);
    cx.analysis.plot_handle = {};
    rebuild_channel_controls(cx);
    show_stat_channel(cx);
    if (test >= 0) {
        kPanels[test](cx);
        run_test(run_inputs(cx), panel_request(cx, test), m,
                 [&cx](const ChannelPlot& plot) { draw_plot(cx, plot); });
        show_readouts(cx);
        // One production record per test shown on a block, however often it is redrawn.
        const std::pair<std::uint64_t, int> run{cx.analysis.kept.generation(), test};
        if (cx.analysis.on_judged && cx.analysis.judged != run) {
            cx.analysis.judged = run;
            cx.analysis.on_judged(test);
        }
    }
    show_tones(cx);
    show_errors(cx);
    show_verdicts(cx);
    update_cursor(cx);
    update_time_date(cx);
    ui.SetCtrlAttribute(p, ANALYSIS_GRAPH, ui::ATTR_REFRESH_GRAPH, 1);
    ui.SetMouseCursor(ui::VAL_DEFAULT_CURSOR);
}

void show_test(const Context& cx, int test, int channel) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    ui.SetCtrlVal(p, ANALYSIS_TEST, test);
    for (int c = 0; c < kChannels; ++c) ui.SetCtrlVal(p, channel_button(c), 1);
    ui.SetCtrlVal(p, ANALYSIS_STATCH, channel);
    analysis(cx);
}

void update_cursor(const Context& cx) {
    const int p = cx.shell.analysispanel;
    double x = 0, y = 0;
    cx.ui.GetGraphCursor(p, ANALYSIS_GRAPH, 1, &x, &y);
    cx.ui.SetCtrlVal(p, ANALYSIS_CURSORX, x);
    cx.ui.SetCtrlVal(p, ANALYSIS_CURSORY, y);
}

void update_time_date(const Context& cx) {
    const int p = cx.shell.analysispanel;
    cx.ui.SetCtrlVal(p, ANALYSIS_TIME, cx.ui.TimeStr());
    cx.ui.SetCtrlVal(p, ANALYSIS_DATE, cx.ui.DateStr());
}

void analysis_callbacks(ui::CallbackRegistry& cb, const Context& cx) {
    auto on_commit = [&cb, cx](const char* name, auto fn) {
        ui::on_commit(cb, name, [cx, fn] { fn(cx); });
    };
    // Setup-panel fields follow their value as it changes, not only when committed.
    auto on_change = [&cb, cx](const char* name, auto fn) {
        ui::on_change(cb, name, [cx, fn] { fn(cx); });
    };
    on_commit("test", analysis);
    on_commit("fft_ctrl", fft_ctrl);
    on_commit("digitizer_options", [](const Context& a) {
        read_digitizer_controls(a);
        analysis(a);
    });
    on_commit("plot_enable_ch1", [](const Context& a) { plot_enable(a, 0); });
    on_commit("plot_enable_ch2", [](const Context& a) { plot_enable(a, 1); });
    on_commit("plot_enable_ch3", [](const Context& a) { plot_enable(a, 2); });
    on_commit("plot_enable_ch4", [](const Context& a) { plot_enable(a, 3); });
    on_commit("stat_channel", stat_channel);
    cb.add_ctrl("plot", [cx](int, int, int event, void*) {
        if (event == ui::EVENT_COMMIT) update_cursor(cx);
        if (event == ui::EVENT_ZOOM) zoom_by_hand(cx);
        return 0;
    });
    on_commit("peak", [](const Context& a) { cursor_to_peak(a, false); });
    on_commit("next_peak", [](const Context& a) { cursor_to_peak(a, true); });
    on_commit("zoom", zoom);
    on_commit("restore", restore);
    on_commit("display_error", display_error);
    on_change("window_select", window_select);
    on_change("fullscale_code", fullscale_code);
    on_change("fullscale_volts", fullscale_volts);
    on_change("bwlimit", bwlimit);
    cb.add_menu("load_menu", [cx](int, int, void*, int) { loadMenuInAnalysis(cx); });
    cb.add_menu("save_menu", [cx](int, int, void*, int) { saveMenuInAnalysis(cx); });
    cb.add_menu("export_data_menu", [cx](int, int, void*, int) { exportDataMenu(cx); });
    cb.add_menu("export_spectrum_menu", [cx](int, int, void*, int) { exportSpectrumMenu(cx); });
    cb.add_menu("save_report_menu", [cx](int, int, void*, int) { saveReportMenu(cx); });
}

}  // namespace analysis
