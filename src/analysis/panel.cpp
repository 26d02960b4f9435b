#include <cmath>
#include <limits>

#include "analysis/analysis.h"
#include "analysis/channels.h"
#include "analysis/code_tests.h"
#include "analysis/data_menu.h"
#include "analysis/errors.h"
#include "analysis/fft_panels.h"
#include "analysis/fft_tests.h"
#include "analysis/file_menus.h"
#include "analysis/panel_setup.h"
#include "analysis/readouts.h"
#include "analysis/settings.h"
#include "analysis/zoom.h"
#include "shell/app.h"
#include "shell/panel_values.h"
#include "uir_ids.h"

namespace analysis {

using namespace spectrum;

namespace {

struct TestEntry {
    void (*setup)(App&);
    void (*run)(App&);
    void (*stats)(App&, int channel);
};

// By test selector value.
constexpr TestEntry kTests[] = {
    {makeAnalysisPanelForTime, _time_test, time_stats},
    {makeAnalysisPanelForHist, _hist_test, hist_stats},
    {makeAnalysisPanelForSignal, _signal_fft, signal_FFT_stats},
    {makeAnalysisPanelForNoise, _noise_fft, noise_FFT_stats},
    {makeAnalysisPanelForPhase, _phase_test, nullptr},
};

const TestEntry* selected_test(App& app) {
    const int test = shell::get_int(app.ui, app.shell.analysispanel, ANALYSIS_TEST);
    if (test < 0 || test >= static_cast<int>(std::size(kTests))) return nullptr;
    return &kTests[test];
}

void stat_channel(App& app) {
    AnalysisState& st = app.analysis;
    whiten_displays(app);
    st.stat_ch = shell::get_int(app.ui, app.shell.analysispanel, ANALYSIS_STATCH);
    show_stat_channel(app);
    const TestEntry* t = selected_test(app);
    if (t && t->stats) t->stats(app, st.stat_ch);
    show_verdicts(app);
}

void plot_enable(App& app, int channel) {
    AnalysisState& st = app.analysis;
    read_channel_controls(app);
    int enabled[kChannels];
    std::copy(st.plot_enabled.begin(), st.plot_enabled.end(), enabled);
    st.stat_ch = choose_stat_channel(channel, enabled);
    show_stat_channel(app);
    analysis(app);
}

void fft_ctrl(App& app) {
    AnalysisState& st = app.analysis;
    const int p = app.shell.analysispanel;
    const int test = shell::get_int(app.ui, p, ANALYSIS_TEST);
    const int option = shell::get_int(app.ui, p, ANALYSIS_OPTION);
    if (test == kSignalFft) st.harmonic_marks = option;
    if (test == kNoiseFft) st.noise_units = option;
    analysis(app);
}

}  // namespace

void initAnalysis(App& app) {
    AnalysisState& st = app.analysis;
    auto& ui = app.ui;
    const int p = app.shell.analysispanel;
    st.code_span = static_cast<int>(std::pow(2, 24));
    st.code_max = st.code_span / 2 - 1;
    st.code_min = -(st.code_span / 2);
    // Until the first transform, the window parameters of window 3.
    app.spectra.tone_bins = 6;
    app.spectra.dc_bins = 13;
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
    read_settings(app);
    ui.SetCtrlAttribute(p, ANALYSIS_OPTION, ui::ATTR_VISIBLE, 0);
    clear_errors(app);
    remember_initial_axes(app);
    analysis(app);
}

void analysis(App& app) {
    auto& ui = app.ui;
    const int p = app.shell.analysispanel;
    ui.SetMouseCursor(ui::VAL_HOUR_GLASS_CURSOR);
    ui.SetCtrlAttribute(p, ANALYSIS_GRAPH, ui::ATTR_REFRESH_GRAPH, 0);
    reset_zoom(app);
    clear_errors(app);
    ui.SetCtrlAttribute(p, ANALYSIS_OPTION, ui::ATTR_VISIBLE, 0);
    read_channel_controls(app);
    const TestEntry* t = selected_test(app);
    ui.DeleteGraphPlot(p, ANALYSIS_GRAPH, -1);
    rebuild_channel_controls(app);
    show_stat_channel(app);
    if (t) {
        t->setup(app);
        if (t->run) t->run(app);
    }
    show_verdicts(app);
    update_cursor(app);
    update_time_date(app);
    ui.SetCtrlAttribute(p, ANALYSIS_GRAPH, ui::ATTR_REFRESH_GRAPH, 1);
    ui.SetMouseCursor(ui::VAL_DEFAULT_CURSOR);
}

void update_cursor(App& app) {
    const int p = app.shell.analysispanel;
    double x = 0, y = 0;
    app.ui.GetGraphCursor(p, ANALYSIS_GRAPH, 1, &x, &y);
    app.ui.SetCtrlVal(p, ANALYSIS_CURSORX, x);
    app.ui.SetCtrlVal(p, ANALYSIS_CURSORY, y);
}

void update_time_date(App& app) {
    const int p = app.shell.analysispanel;
    app.ui.SetCtrlVal(p, ANALYSIS_TIME, app.ui.TimeStr());
    app.ui.SetCtrlVal(p, ANALYSIS_DATE, app.ui.DateStr());
}

void analysis_callbacks(App& app) {
    auto& cb = app.callbacks;
    auto on_commit = [&cb, &app](const char* name, auto fn) {
        ui::on_commit(cb, name, [&app, fn] { fn(app); });
    };
    // Setup-panel fields follow their value as it changes, not only when committed.
    auto on_change = [&cb, &app](const char* name, auto fn) {
        ui::on_change(cb, name, [&app, fn] { fn(app); });
    };
    on_commit("test", analysis);
    on_commit("fft_ctrl", fft_ctrl);
    on_commit("plot_enable_ch1", [](App& a) { plot_enable(a, 0); });
    on_commit("plot_enable_ch2", [](App& a) { plot_enable(a, 1); });
    on_commit("plot_enable_ch3", [](App& a) { plot_enable(a, 2); });
    on_commit("plot_enable_ch4", [](App& a) { plot_enable(a, 3); });
    on_commit("stat_channel", stat_channel);
    on_commit("plot", update_cursor);
    on_commit("zoom", zoom);
    on_commit("restore", restore);
    on_commit("display_error", display_error);
    on_change("window_select", window_select);
    on_change("fullscale_code", fullscale_code);
    on_change("fullscale_volts", fullscale_volts);
    on_change("bwlimit", bwlimit);
    cb.add_menu("load_menu", [&app](int, int, void*, int) { loadMenuInAnalysis(app); });
    cb.add_menu("save_menu", [&app](int, int, void*, int) { saveMenuInAnalysis(app); });
    cb.add_menu("export_data_menu", [&app](int, int, void*, int) { exportDataMenu(app); });
    cb.add_menu("export_spectrum_menu", [&app](int, int, void*, int) { exportSpectrumMenu(app); });
    cb.add_menu("save_report_menu", [&app](int, int, void*, int) { saveReportMenu(app); });
}

}  // namespace analysis
