#include <cmath>
#include <limits>

#include "analysis/analysis.h"
#include "analysis/channels.h"
#include "analysis/code_tests.h"
#include "analysis/context.h"
#include "analysis/data_menu.h"
#include "analysis/errors.h"
#include "analysis/fft_panels.h"
#include "analysis/fft_tests.h"
#include "analysis/file_menus.h"
#include "analysis/panel_setup.h"
#include "analysis/readouts.h"
#include "analysis/settings.h"
#include "analysis/zoom.h"
#include "shell/panel_values.h"
#include "uir_ids.h"

namespace analysis {

using namespace spectrum;

namespace {

struct TestEntry {
    void (*setup)(const Context&);
    void (*run)(const Context&);
    void (*stats)(const Context&, int channel);
};

// By test selector value.
constexpr TestEntry kTests[] = {
    {makeAnalysisPanelForTime, _time_test, time_stats},
    {makeAnalysisPanelForHist, _hist_test, hist_stats},
    {makeAnalysisPanelForSignal, _signal_fft, signal_FFT_stats},
    {makeAnalysisPanelForNoise, _noise_fft, noise_FFT_stats},
    {makeAnalysisPanelForPhase, _phase_test, nullptr},
};

const TestEntry* selected_test(const Context& cx) {
    const int test = shell::get_int(cx.ui, cx.shell.analysispanel, ANALYSIS_TEST);
    if (test < 0 || test >= static_cast<int>(std::size(kTests))) return nullptr;
    return &kTests[test];
}

void stat_channel(const Context& cx) {
    AnalysisState& st = cx.analysis;
    whiten_displays(cx);
    st.stat_ch = shell::get_int(cx.ui, cx.shell.analysispanel, ANALYSIS_STATCH);
    show_stat_channel(cx);
    const TestEntry* t = selected_test(cx);
    if (t && t->stats) t->stats(cx, st.stat_ch);
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
    clear_errors(cx);
    remember_initial_axes(cx);
    analysis(cx);
}

void analysis(const Context& cx) {
    auto& ui = cx.ui;
    const int p = cx.shell.analysispanel;
    ui.SetMouseCursor(ui::VAL_HOUR_GLASS_CURSOR);
    ui.SetCtrlAttribute(p, ANALYSIS_GRAPH, ui::ATTR_REFRESH_GRAPH, 0);
    reset_zoom(cx);
    clear_errors(cx);
    ui.SetCtrlAttribute(p, ANALYSIS_OPTION, ui::ATTR_VISIBLE, 0);
    read_channel_controls(cx);
    const TestEntry* t = selected_test(cx);
    cx.analysis.measurement.test = t ? static_cast<int>(t - kTests) : -1;
    ui.DeleteGraphPlot(p, ANALYSIS_GRAPH, -1);
    rebuild_channel_controls(cx);
    show_stat_channel(cx);
    if (t) {
        t->setup(cx);
        if (t->run) t->run(cx);
    }
    show_verdicts(cx);
    update_cursor(cx);
    update_time_date(cx);
    ui.SetCtrlAttribute(p, ANALYSIS_GRAPH, ui::ATTR_REFRESH_GRAPH, 1);
    ui.SetMouseCursor(ui::VAL_DEFAULT_CURSOR);
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
    on_commit("plot_enable_ch1", [](const Context& a) { plot_enable(a, 0); });
    on_commit("plot_enable_ch2", [](const Context& a) { plot_enable(a, 1); });
    on_commit("plot_enable_ch3", [](const Context& a) { plot_enable(a, 2); });
    on_commit("plot_enable_ch4", [](const Context& a) { plot_enable(a, 3); });
    on_commit("stat_channel", stat_channel);
    on_commit("plot", update_cursor);
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
