#include "analysis/report/report.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>

#include "analysis/code_tests.h"
#include "analysis/context.h"
#include "analysis/readouts.h"
#include "analysis/report/html_text.h"
#include "analysis/report/report_model.h"
#include "analysis/report/svg_plot.h"
#include "analysis/spectrum/fft_graph.h"
#include "analysis/test_run.h"
#include "core/atomic_file.h"
#include "core/system_types.h"
#include "recording/utc_time.h"

namespace analysis {

using namespace spectrum;

namespace {

using report::ChannelReport;
using report::ReportModel;
using report::SvgPlot;

constexpr int kMarkerTextColour = 0x000000;
constexpr int kFundamentalColour = 0xFF0000;
constexpr int kMedianColour = 0x0000FF;
constexpr int kPercentileColour = 0x8080C0;
// Head room above 0 dBFS for the fundamental's "F".
constexpr double kSpectrumTop = 10.0;

// A setting as its input shows it: the option's name for a list, else the number in the
// input's format and units. The value is the setting's; the input lends its description.
std::string setting_text(const Context& cx, const int& field) {
    const ui::Control* c = cx.ui.bound_control(&field);
    if (!c) return "-";
    if (!c->items.empty()) {
        for (const auto& item : c->items)
            if (item.value == field) return item.label;
        return "-";
    }
    char s[48];
    if (c->hex)
        std::snprintf(s, sizeof s, "0x%0*llX", std::max(c->hex_digits, 1),
                      static_cast<unsigned long long>(static_cast<std::int64_t>(field)));
    else
        std::snprintf(s, sizeof s, "%.*f", c->is_real ? c->precision : 0, double(field));
    return s + (c->units.empty() ? "" : " " + c->units);
}

std::string setting_caption(const Context& cx, const int& field) {
    const ui::Control* c = cx.ui.bound_control(&field);
    return c ? c->label : std::string();
}

std::string now_text() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char s[32];
    std::strftime(s, sizeof s, "%Y-%m-%d %H:%M:%S", &tm);
    return s;
}

void describe(const Context& cx, ReportModel& m) {
    const auto or_dash = [](std::string s) { return s.empty() ? std::string("-") : s; };
    m.identity = {{"Board", or_dash(cx.link.board_name)},
                  {"Board code", cx.link.board_id ? std::to_string(cx.link.board_id) : "-"},
                  {"Firmware", or_dash(cx.link.firmware)},
                  {"Program", cx.shell.version},
                  {"Date", now_text()}};
    const AnalysisState& st = cx.analysis;
    char text[64];
    std::snprintf(text, sizeof text, "%g samples/s", cx.capture.fs);
    m.configuration.emplace_back("Sample rate", text);
    m.configuration.emplace_back("Channels", std::to_string(cx.capture.NumberOfChannels));
    std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(st.fs_code));
    m.configuration.emplace_back("Full-scale code", text);
    std::snprintf(text, sizeof text, "%g V", st.fs_volt);
    m.configuration.emplace_back("Full-scale volts", text);
    m.configuration.emplace_back("Bandwidth limit",
                                 st.limit_bw ? std::to_string(st.limit_bw) + " Hz" : "none");
    const shell::Settings& set = cx.settings;
    for (const int* field :
         {&set.analysis.window, &set.setup.filter, &set.setup.mux, &set.setup.mode, &set.setup.gain,
          &set.capture.samples, &set.capture.skip, &set.capture.average})
        m.configuration.emplace_back(setting_caption(cx, *field), setting_text(cx, *field));
}

std::string note(const std::string& text) {
    return "<p class=\"note\">" + report::escape(text) + "</p>\n";
}

std::string plot_id(int channel, const char* kind) {
    return "ch" + std::to_string(channel + 1) + "-" + kind;
}

std::string time_plot(const Context& cx, int c) {
    const int n = cx.analysis.ch_count[c];
    if (n <= 0) return note("Channel " + std::to_string(c + 1) + " holds no samples.");
    const std::int32_t* data = cx.analysis.data(c);
    const auto [lo, hi] = std::minmax_element(data, data + n);
    const double margin = std::max(0.05 * (double(*hi) - *lo), 1.0);
    SvgPlot plot("Time domain, channel " + std::to_string(c + 1), "Sample", "Code",
                 {0.0, std::max(n - 1, 1) * 1.0}, {*lo - margin, *hi + margin});
    plot.line([data](int i) { return double(data[i]); }, n, 0.0, n - 1.0,
              cx.analysis.plot_colour[c]);
    return plot.svg(plot_id(c, "time"));
}

std::string histogram_plot(const Context& cx, int c) {
    AnalysisState& st = cx.analysis;
    const int n = st.ch_count[c];
    if (n <= 0) return "";
    const std::int32_t* data = st.data(c);
    const auto [lo, hi] = std::minmax_element(data, data + n);
    // One bar per code while the codes fit the count array; wider data (a full-scale tone)
    // gets bars of equal width, one per pixel column.
    const auto [width, bars] =
        histogram_bars(std::int64_t(*hi) - *lo + 1, core::kBufferEntries, SvgPlot::kColumns);
    std::int32_t* counts = st.hist_counts.data();
    std::fill(counts, counts + bars, 0);
    for (int i = 0; i < n; ++i) ++counts[(std::int64_t(data[i]) - *lo) / width];
    const std::int32_t peak = *std::max_element(counts, counts + bars);
    std::string title = "Histogram, channel " + std::to_string(c + 1);
    if (width > 1) title += " (" + std::to_string(width) + " codes per bar)";
    const double first = *lo + (width - 1) / 2.0;
    SvgPlot plot(title, "Code", "Count", {*lo - 5.0, *hi + 5.0}, {0.0, 1.05 * peak});
    plot.bars([counts](int k) { return double(counts[k]); }, bars, first,
              first + double(bars - 1) * width, st.plot_colour[c]);
    return plot.svg(plot_id(c, "histogram"));
}

// Right after the signal test of this channel, whose fundamental and harmonics it marks.
std::string spectrum_plot(const Context& cx, int c) {
    FftGraphRequest request;
    request.kind = kFftKindSignal;
    request.channel = c;
    request.n = cx.analysis.ch_count[c];
    request.harmonic_marks = true;
    const FftErrorReporter quiet([](int, int) {}, {0, 0, 0, 0});
    const FftGraph g = graph_fft(cx.spectra, request, spectrum_settings(run_inputs(cx)), quiet);
    if (!g.plotted)
        return note("Spectrum of channel " + std::to_string(c + 1) +
                    ": not drawn (a bin or the full-scale reference is not above zero).");
    const int colour = cx.analysis.plot_colour[c];
    SvgPlot plot("Spectrum, channel " + std::to_string(c + 1), "Frequency (Hz)", "dBFS",
                 {0.0, g.x_max}, {g.y_min, kSpectrumTop});
    const int count = static_cast<int>(g.y.size());
    plot.line([&g](int i) { return g.y[i]; }, count, g.x.front(), g.x.back(), colour);
    for (const FftMarkerLine& l : g.lines)
        plot.marker_line(l.x, l.y_from, l.y_to, l.fundamental ? kFundamentalColour : colour);
    for (const FftMarkerText& t : g.texts) plot.text(t.x, t.y, t.text, kMarkerTextColour);
    return plot.svg(plot_id(c, "spectrum"));
}

// The channel's noise PSD as the panel draws it (with a sensor, as ground acceleration against
// the noise models), on a logarithmic frequency axis.
std::string psd_plot(const Context& cx, int c) {
    Measurement m;
    lay_out(m, kPsd);
    RunRequest request;
    request.test = kPsd;
    request.stat_ch = c;
    request.enabled = {0, 0, 0, 0};
    request.enabled[c] = 1;
    const bool sensor = cx.analysis.digitizer.sensor > 0.0;
    std::optional<SvgPlot> plot;
    run_test(run_inputs(cx), request, m, [&](const ChannelPlot& p) {
        if (!plot && p.axes)
            plot.emplace("Noise PSD, channel " + std::to_string(c + 1), "Frequency (Hz)",
                         sensor ? "dB re 1 (m/s²)²/Hz" : "dB re 1 V²/Hz",
                         report::Range{p.axes->x_min, p.axes->x_max},
                         report::Range{p.axes->y_min, p.axes->y_max}, report::Scale::Logarithmic);
        if (plot)
            plot->line_xy(p.x, p.y, p.channel >= 0 ? cx.analysis.plot_colour[p.channel] : p.colour);
    });
    if (!plot)
        return note("Noise PSD of channel " + std::to_string(c + 1) +
                    ": not drawn (the block is too short for a segment, or not analysed).");
    return plot->svg(plot_id(c, "psd"));
}

ChannelReport channel_report(const Context& cx, int c) {
    ChannelReport r;
    r.channel = c;
    r.samples = cx.analysis.ch_count[c];
    for (size_t t = 0; t < report::kReportTests.size(); ++t) {
        const int test = report::kReportTests[t];
        report::TestRun& run = r.runs[t];
        const Measurement m = measure(cx, test, c);
        run.readouts = readouts(m);
        for (int e : m.errors)
            if (e % 10 == c + 1) run.errors.push_back(e);
        run.verdicts = evaluate_limits(cx.analysis.limits, test, c, run.readouts);
        run.tones = m.tones;
        if (test == kSignalFft) r.spectrum_plot = spectrum_plot(cx, c);
    }
    r.time_plot = time_plot(cx, c);
    r.histogram_plot = histogram_plot(cx, c);
    r.psd_plot = psd_plot(cx, c);
    return r;
}

void describe_digitizer(const Context& cx, ReportModel& m) {
    const DigitizerResults& r = digitizer_view(cx, kSelfNoise);
    char text[96];
    std::snprintf(text, sizeof text, "%d points, %g %% overlap, %d segments from %d of %d blocks",
                  r.segment_length, r.options.overlap, r.segments, r.blocks, r.blocks_seen);
    m.digitizer.emplace_back("Welch segments", text);
    if (!r.archive.path.empty()) {
        std::snprintf(text, sizeof text, "%.1f s per channel in %d stretches",
                      r.fs > 0 ? static_cast<double>(r.archive_read.samples) / r.fs : 0.0,
                      r.blocks);
        m.digitizer.emplace_back("Read from " + r.archive.path, text);
    }
    std::snprintf(text, sizeof text, "%g to %g Hz", r.band_lo, r.band_hi);
    m.digitizer.emplace_back("Band", text);
    m.digitizer.emplace_back("Self-noise",
                             r.method.empty() ? "not estimated (one channel)" : r.method);
    if (r.crosstalk.driven >= 0) {
        std::snprintf(text, sizeof text, "channel %d at %.3f Hz", r.crosstalk.driven + 1,
                      r.crosstalk.frequency);
        m.digitizer.emplace_back("Crosstalk driven by", text);
    }
    if (r.options.sensor > 0) {
        std::snprintf(text, sizeof text, "%g V/(m/s), flat in velocity", r.options.sensor);
        m.digitizer.emplace_back("Sensor", text);
    }
}

// The percentile curves of each channel of the last archive evaluated, in dB re 1 nV/√Hz on a
// log-frequency axis.
void describe_noise_over_time(const Context& cx, ReportModel& m) {
    const NoiseOverTime& n = cx.analysis.noise_over_time;
    if (n.empty()) return;
    char text[96];
    m.noise_over_time.emplace_back("Archive", n.archive);
    std::snprintf(text, sizeof text, "%g s, %g %% overlap, Welch segments of %d",
                  n.settings.window_seconds, n.settings.overlap, n.settings.segment);
    m.noise_over_time.emplace_back("Windows", text);
    int id = 0;
    for (const ChannelPpsd& c : n.channels) {
        const digitizer::Ppsd& p = c.ppsd;
        std::snprintf(text, sizeof text, "%zu windows from %s", p.window_starts.size(),
                      recording::format_utc(c.start_us, false).c_str());
        m.noise_over_time.emplace_back(c.code, text);
        if (p.frequencies.empty()) continue;
        const auto db = [](const std::vector<double>& v) {
            std::vector<double> out(v.size());
            for (std::size_t k = 0; k < v.size(); ++k)
                out[k] = v[k] > 0.0 ? 20.0 * std::log10(v[k]) : NAN;
            return out;
        };
        const std::vector<double> lo = db(p.p5), mid = db(p.p50), hi = db(p.p95);
        double y0 = 1e300, y1 = -1e300;
        for (const auto* curve : {&lo, &hi})
            for (double v : *curve)
                if (std::isfinite(v)) y0 = std::min(y0, v), y1 = std::max(y1, v);
        if (y0 > y1) continue;
        const auto [f0, f1] = std::minmax_element(p.frequencies.begin(), p.frequencies.end());
        SvgPlot plot(
            "Noise over time, " + c.code + " (5th, 50th, 95th percentile)", "Frequency (Hz)",
            "dB re 1 nV/√Hz", report::Range{*f0, *f1},
            report::Range{10.0 * std::floor(y0 / 10.0), 10.0 * std::ceil(y1 / 10.0 + 1e-9)},
            report::Scale::Logarithmic);
        plot.line_xy(p.frequencies, lo, kPercentileColour);
        plot.line_xy(p.frequencies, mid, kMedianColour);
        plot.line_xy(p.frequencies, hi, kPercentileColour);
        m.noise_over_time_plots.push_back(plot.svg("ppsd-" + std::to_string(++id)));
    }
}

ReportModel gather(const Context& cx) {
    ReportModel m;
    describe(cx, m);
    describe_digitizer(cx, m);
    describe_noise_over_time(cx, m);
    if (cx.analysis.earlier_runs) m.earlier_runs = cx.analysis.earlier_runs(cx.link.DeviceString);
    m.limits_loaded = cx.analysis.limits.loaded();
    const int channels = cx.capture.NumberOfChannels;
    if (channels < 1 || channels > kChannels) return m;
    for (int c = 0; c < channels; ++c) m.channels.push_back(channel_report(cx, c));
    return m;
}

bool is_pdf(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return ext == ".pdf";
}

}  // namespace

ReportOutcome save_report(const Context& cx, const std::string& path) {
    ReportOutcome out;
    // A report of nothing would be a page of empty tables that reads as a test run.
    if (cx.capture.NumberOfChannels == 0 || cx.capture.num_samples <= 0) {
        out.status = core::Status::failed(core::Fault::NotAllowed, "report", "Save Report Error",
                                          "There is no data to report: capture or load a block "
                                          "first.");
        return out;
    }
    const ReportModel m = gather(cx);
    out.verdicts = m.verdict_count();
    out.failed = m.failed_count();
    const std::string html = report::render_html(m);
    std::string content = html;
    if (is_pdf(path) && cx.ui.HtmlToPdf(html, &content) != 0) {
        out.status = core::Status::failed(core::Fault::NotAllowed, "pdf", "Save Report Error",
                                          "A PDF report needs the desktop program; save it as "
                                          "HTML instead.");
        return out;
    }
    out.status = core::write_file_atomically(path, content);
    if (!out.status)
        out.status =
            out.status.with_message("Save Report Error", "File " + path + " cannot be written.");
    return out;
}

}  // namespace analysis
