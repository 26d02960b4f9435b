// What the report shows, gathered from the system before any HTML is written.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "analysis/limits.h"
#include "analysis/spectrum/tones.h"

namespace analysis::report {

// A test's run on one channel: its read-outs, its error entries and the verdicts of its limits.
struct TestRun {
    std::vector<Readout> readouts;
    std::vector<int> errors;  // error list values (code x 10 + channel number)
    std::vector<Verdict> verdicts;
    std::vector<spectrum::Tone> tones;  // the signal test's fundamental and harmonics
};

// The tests the report runs, in the order of its tables: the converter's, then from
// kFirstDigitizerTest on the seismic digitizer battery.
inline constexpr std::array<int, 8> kReportTests = {0, 1, 2, 3, 5, 6, 7, 8};
inline constexpr std::size_t kFirstDigitizerTest = 4;

struct ChannelReport {
    int channel = 0;  // index 0..3
    int samples = 0;
    std::array<TestRun, kReportTests.size()> runs;  // by position in kReportTests
    // <svg> elements: samples against index, histogram of codes, spectrum with markers; a
    // plot that cannot be drawn is a short note instead.
    std::string time_plot, histogram_plot, spectrum_plot, psd_plot;
};

struct ReportModel {
    std::vector<std::pair<std::string, std::string>> identity;       // label, text
    std::vector<std::pair<std::string, std::string>> configuration;  // label, text
    // What the digitizer figures rest on: segments, blocks, band, method.
    std::vector<std::pair<std::string, std::string>> digitizer;
    bool limits_loaded = false;
    std::vector<ChannelReport> channels;
    // The noise over time of the last archive evaluated (none: no section): what it rests on,
    // and per channel its percentile curves as an <svg> element.
    std::vector<std::pair<std::string, std::string>> noise_over_time;
    std::vector<std::string> noise_over_time_plots;
    // The board's earlier runs from the production records, newest first: time, kind, test,
    // verdict. Empty: none kept (or records off).
    std::vector<std::vector<std::string>> earlier_runs;

    int verdict_count() const;
    int failed_count() const;
};

// One self-contained HTML document.
std::string render_html(const ReportModel& model);

}  // namespace analysis::report
