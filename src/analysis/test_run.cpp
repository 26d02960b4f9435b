#include "analysis/test_run.h"

#include <iterator>

#include "analysis/code_tests.h"
#include "analysis/digitizer_tests.h"
#include "analysis/fft_tests.h"
#include "analysis/panel_setup.h"

namespace analysis {

using namespace spectrum;

namespace {

using Stats = void (*)(const RunInputs&, int channel, const std::array<int, kChannels>& enabled,
                       Measurement&);
using Run = void (*)(const RunInputs&, const RunRequest&, Measurement&, const PlotSink&);

struct TestEntry {
    Stats stats;  // the statistics channel's read-outs; none for the phase test
    Run plots;    // the plots, and for the spectra the reference and statistics before them
};

void time_run(const RunInputs& in, const RunRequest& r, Measurement& m, const PlotSink& plot) {
    time_stats(in, r.stat_ch, r.enabled, m);
    time_plots(in, r, m, plot);
}

void hist_run(const RunInputs& in, const RunRequest& r, Measurement& m, const PlotSink& plot) {
    hist_stats(in, r.stat_ch, r.enabled, m);
    hist_plots(in, r, m, plot);
}

// By test selector value.
constexpr TestEntry kTests[] = {
    {time_stats, time_run},
    {hist_stats, hist_run},
    {signal_stats, signal_run},
    {noise_stats, noise_run},
    {nullptr, phase_run},
    {psd_stats, psd_run},
    {self_noise_stats, self_noise_run},
    {crosstalk_stats, crosstalk_run},
    {sine_fit_stats, sine_fit_run},
};

const TestEntry* entry(int test) {
    if (test < 0 || test >= static_cast<int>(std::size(kTests))) return nullptr;
    return &kTests[test];
}

}  // namespace

SpectrumSettings spectrum_settings(const RunInputs& in) {
    const AnalysisState& st = in.analysis;
    return {in.fs, st.fs_code, st.fs_volt, st.limit_bw, st.window_index};
}

void lay_out(Measurement& m, int test) {
    m = Measurement{};
    const PanelSetup* setup = panel_setup_of(test);
    if (!setup) return;
    m.test = test;
    for (int i = 0; i < setup->displays; ++i) {
        ShownFigure& f = m.figures[static_cast<std::size_t>(i)];
        f.visible = true;
        f.label = setup->figures[i].label;
        f.precision = setup->figures[i].precision;
        f.missing = setup->figures[i].missing;
    }
}

void run_test(const RunInputs& in, const RunRequest& request, Measurement& m,
              const PlotSink& plot) {
    if (const TestEntry* t = entry(request.test)) t->plots(in, request, m, plot);
}

void run_stats(const RunInputs& in, int test, int channel,
               const std::array<int, kChannels>& enabled, Measurement& m) {
    const TestEntry* t = entry(test);
    if (t && t->stats) t->stats(in, channel, enabled, m);
}

void set_readout(Measurement& m, int index, const Statistic& s) {
    ShownFigure& f = m.figures[static_cast<std::size_t>(index)];
    f.label = s.label;
    f.precision = s.precision;
    f.value = s.value.value_or(0.0);
    if (f.missing == Missing::Hidden)
        f.visible = s.value.has_value();
    else
        f.dimmed = !s.value.has_value();
}

void set_value(Measurement& m, int index, double value) {
    m.figures[static_cast<std::size_t>(index)].value = value;
}

void add_error(Measurement& m, int code_times_ten, int channel) {
    m.errors.push_back(code_times_ten + channel + 1);
}

}  // namespace analysis
