// A test's computation over the channel arrays, apart from any panel: it fills a measurement
// (read-outs and error entries) and hands each channel's plot to whoever draws it. The panel
// draws what it is handed; the command line and the report hand nothing and read the figures.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "analysis/measurement.h"
#include "analysis/spectrum/fft_stats.h"
#include "analysis/spectrum/spectrum_state.h"
#include "analysis/state.h"

namespace analysis {

// What a run reads and works in: the channel arrays and settings, the spectra, the rate.
struct RunInputs {
    AnalysisState& analysis;
    spectrum::SpectrumState& spectra;
    double fs;
};

struct RunRequest {
    int test = kTimeDomain;
    int stat_ch = 0;
    // Channels whose plots are made and whose errors are listed (non-zero = on).
    std::array<int, kChannels> enabled = {1, 1, 1, 1};
    bool harmonic_marks = false;  // signal test: mark the fundamental and harmonics
    bool noise_units = false;     // noise test: nV per root hertz instead of dB
    bool first_cycles = false;    // time test: the x axis ends after the first few cycles
};

// The range the graph takes before a plot is drawn; y autoscaled when y_auto.
struct PlotAxes {
    double x_min = 0.0, x_max = 0.0;
    bool y_auto = false;
    double y_min = 0.0, y_max = 0.0;
};

// One channel's plot; the spans stay valid only during the call that hands it out. y is
// real values or converter codes (one of the two); x empty means y against its index.
struct ChannelPlot {
    int channel = 0;               // -1: a reference curve, not a channel's trace
    const char* legend = nullptr;  // a reference curve's name in the legend
    int colour = -1;               // a reference curve's colour
    std::optional<PlotAxes> axes;  // none: the graph keeps its range
    bool bars = false;
    std::span<const double> x;
    std::span<const double> y;
    std::span<const std::int32_t> codes;
    std::span<const spectrum::FftMarkerText> texts;
    std::span<const spectrum::FftMarkerLine> lines;  // fundamental lines are drawn in red
};

using PlotSink = std::function<void(const ChannelPlot&)>;

// The spectra's settings: the analysis settings and the rate.
spectrum::SpectrumSettings spectrum_settings(const RunInputs& in);

// Sets m out for test before it runs: the test, which read-outs it shows, their labels and
// precisions, no values and no errors. An unknown test shows nothing.
void lay_out(Measurement& m, int test);

// Runs request.test: the statistics channel's read-outs, then each enabled channel's plot,
// handed to plot when given. Error entries are appended in the order they are found.
void run_test(const RunInputs& in, const RunRequest& request, Measurement& m,
              const PlotSink& plot = nullptr);

// The statistics of one channel alone, over the measurement laid out for test (the panel's
// statistics ring); the phase test has none.
void run_stats(const RunInputs& in, int test, int channel,
               const std::array<int, kChannels>& enabled, Measurement& m);

// What the tests set into a measurement laid out for them. A read-out with no value is dimmed
// or hidden as its table row says; a plain value keeps the laid-out label.
void set_readout(Measurement& m, int index, const spectrum::Statistic& s);
void set_value(Measurement& m, int index, double value);
// Adds an error entry: code_times_ten (210, 400, ...) for channel index 0..3.
void add_error(Measurement& m, int code_times_ten, int channel);

}  // namespace analysis
