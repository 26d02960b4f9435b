// The report as HTML: tables whose cells carry the exact values (data-value) beside the
// rounded text, and the plots inline.
#include <algorithm>
#include <cstdio>

#include "analysis/limits.h"
#include "analysis/report/html_text.h"
#include "analysis/report/report_model.h"

namespace analysis::report {

namespace {

constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:24px;color:#111}"
    "h1{font-size:22px}h2{font-size:18px;margin-top:28px}h3{font-size:15px}"
    "table{border-collapse:collapse;margin:6px 0 14px}"
    "th,td{border:1px solid #BBB;padding:3px 8px;text-align:left}"
    "td.num{text-align:right;font-variant-numeric:tabular-nums}"
    ".pass{color:#007A00;font-weight:bold}.fail{color:#C00000;font-weight:bold}"
    "svg.plot{display:block;margin:8px 0;background:#FFF}"
    ".note{color:#555;font-style:italic}";

constexpr const char* kTestTitles[] = {"Time domain", "Histogram",  "Signal FFT", "Noise FFT",
                                       "Noise PSD",   "Self-noise", "Crosstalk",  "Sine fit"};

// A read-out as the panel would say it: the number, "< number" for a bound, the note for a
// figure with none.
std::string readout_text(const Readout& x) {
    if (!x.value && !x.note.empty()) return escape(x.note);
    return (x.value && x.upper_bound ? "&lt; " : "") + shown_number(x.value, x.precision);
}

void pairs_table(std::string& h, const char* cls,
                 const std::vector<std::pair<std::string, std::string>>& rows) {
    h += std::string("<table class=\"") + cls + "\">\n";
    for (const auto& [label, text] : rows)
        h += "<tr><th>" + escape(label) + "</th><td>" + escape(text) + "</td></tr>\n";
    h += "</table>\n";
}

std::string limit_text(const Verdict& v) {
    std::string t;
    if (v.min) t += "min " + exact_number(*v.min);
    if (v.max) t += std::string(t.empty() ? "" : ", ") + "max " + exact_number(*v.max);
    return t;
}

void verdict_table(std::string& h, const ReportModel& m) {
    const int total = m.verdict_count();
    const int failed = m.failed_count();
    h += "<h2>Limits</h2>\n<p class=\"" + std::string(failed ? "fail" : "pass") +
         "\" id=\"limits-summary\">" +
         (failed ? std::to_string(failed) + " of " + std::to_string(total) + " figures fail"
                 : "All " + std::to_string(total) + " figures pass") +
         "</p>\n<table class=\"verdicts\">\n<tr><th>Test</th><th>Channel</th><th>Figure</th>"
         "<th>Value</th><th>Limit</th><th>Verdict</th></tr>\n";
    for (const ChannelReport& c : m.channels) {
        for (size_t t = 0; t < kReportTests.size(); ++t) {
            for (const Verdict& v : c.runs[t].verdicts) {
                h += "<tr><td>" + std::string(test_key(kReportTests[t])) + "</td><td>CH " +
                     std::to_string(c.channel + 1) + "</td><td>" + escape(v.figure) +
                     "</td><td class=\"num\">" + shown_number(v.value, 2) + "</td><td>" +
                     limit_text(v) + "</td><td class=\"" + (v.pass ? "pass" : "fail") + "\">" +
                     (v.pass ? "PASS" : "FAIL") + "</td></tr>\n";
            }
        }
    }
    h += "</table>\n";
}

void figure_table(std::string& h, const ReportModel& m, size_t t) {
    const char* key = test_key(kReportTests[t]);
    h += "<h3>" + std::string(kTestTitles[t]) + "</h3>\n<table class=\"figures\" data-test=\"" +
         key + "\">\n<tr><th>Figure</th>";
    for (const ChannelReport& c : m.channels)
        h += "<th>CH " + std::to_string(c.channel + 1) + "</th>";
    h += "</tr>\n";
    const std::vector<Readout>& labels = m.channels.front().runs[t].readouts;
    for (size_t r = 0; r < labels.size(); ++r) {
        h += "<tr><th>" + escape(labels[r].label) + "</th>";
        for (const ChannelReport& c : m.channels) {
            const Readout& x = c.runs[t].readouts[r];
            h += "<td class=\"num\" data-channel=\"" + std::to_string(c.channel + 1) +
                 "\" data-figure=\"" + escape(x.label) + "\"";
            if (x.value) h += " data-value=\"" + exact_number(*x.value) + "\"";
            h += ">" + readout_text(x) + "</td>";
        }
        h += "</tr>\n";
    }
    h += "<tr><th>Errors</th>";
    for (const ChannelReport& c : m.channels) {
        std::string codes;
        for (int e : c.runs[t].errors) codes += (codes.empty() ? "" : " ") + std::to_string(e);
        h += "<td>" + (codes.empty() ? std::string("none") : codes) + "</td>";
    }
    h += "</tr>\n</table>\n";
}

// The fundamental and harmonics of the signal test, a frequency and a level per channel.
void tone_table(std::string& h, const ReportModel& m, size_t t) {
    size_t rows = 0;
    for (const ChannelReport& c : m.channels) rows = std::max(rows, c.runs[t].tones.size());
    if (rows == 0) return;
    h += "<h3>Fundamental and harmonics</h3>\n<table class=\"tones\">\n<tr><th>Order</th>";
    for (const ChannelReport& c : m.channels) {
        const std::string ch = "CH " + std::to_string(c.channel + 1);
        h += "<th>" + ch + " Hz</th><th>" + ch + " level</th>";
    }
    h += "</tr>\n";
    for (size_t r = 0; r < rows; ++r) {
        h += "<tr><th>" + (r == 0 ? std::string("F (dBFS)") : std::to_string(r + 1) + " (dBc)") +
             "</th>";
        for (const ChannelReport& c : m.channels) {
            const std::vector<spectrum::Tone>& tones = c.runs[t].tones;
            // A channel with no fundamental has no row of its own.
            if (tones.empty() || r >= tones.size() || tones[r].order != static_cast<int>(r) + 1) {
                h += "<td class=\"num\">-</td><td class=\"num\">-</td>";
                continue;
            }
            const spectrum::Tone& x = tones[r];
            h += "<td class=\"num\" data-value=\"" + exact_number(x.frequency) + "\">" +
                 shown_number(x.frequency, 3) + "</td><td class=\"num\"";
            if (x.level) h += " data-value=\"" + exact_number(*x.level) + "\"";
            h += ">" + shown_number(x.level, 2) + "</td>";
        }
        h += "</tr>\n";
    }
    h += "</table>\n";
}

}  // namespace

int ReportModel::verdict_count() const {
    int n = 0;
    for (const ChannelReport& c : channels)
        for (const TestRun& r : c.runs) n += static_cast<int>(r.verdicts.size());
    return n;
}

int ReportModel::failed_count() const {
    int n = 0;
    for (const ChannelReport& c : channels)
        for (const TestRun& r : c.runs)
            for (const Verdict& v : r.verdicts) n += v.pass ? 0 : 1;
    return n;
}

std::string render_html(const ReportModel& m) {
    std::string h =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<title>Converter evaluation report</title>\n<style>";
    h += kStyle;
    h += "</style>\n</head>\n<body>\n<h1>Converter evaluation report</h1>\n";
    pairs_table(h, "identity", m.identity);
    h += "<h2>Configuration</h2>\n";
    pairs_table(h, "configuration", m.configuration);
    if (m.limits_loaded) verdict_table(h, m);
    if (!m.channels.empty()) {
        h += "<h2>Figures</h2>\n";
        for (size_t t = 0; t < kReportTests.size(); ++t) {
            if (t == kFirstDigitizerTest) {
                h += "<h2>Digitizer</h2>\n";
                pairs_table(h, "digitizer", m.digitizer);
            }
            figure_table(h, m, t);
            tone_table(h, m, t);
        }
    }
    for (const ChannelReport& c : m.channels) {
        h += "<h2 id=\"channel-" + std::to_string(c.channel + 1) + "\">Channel " +
             std::to_string(c.channel + 1) + " (" + std::to_string(c.samples) + " samples)</h2>\n";
        h += c.time_plot + c.histogram_plot + c.spectrum_plot + c.psd_plot;
    }
    if (m.channels.empty()) h += "<p class=\"note\">No data: capture or load a block first.</p>\n";
    if (!m.earlier_runs.empty()) {
        h += "<h2>Earlier runs of this board</h2>\n<table class=\"earlier\">\n"
             "<tr><th>Time (UTC)</th><th>Kind</th><th>Test</th><th>Verdict</th></tr>\n";
        for (const auto& row : m.earlier_runs) {
            h += "<tr>";
            for (const std::string& cell : row) h += "<td>" + escape(cell) + "</td>";
            h += "</tr>\n";
        }
        h += "</table>\n";
    }
    if (!m.noise_over_time.empty()) {
        h += "<h2>Noise over time</h2>\n";
        pairs_table(h, "noise-over-time", m.noise_over_time);
        for (const std::string& plot : m.noise_over_time_plots) h += plot;
    }
    return h + "</body>\n</html>\n";
}

}  // namespace analysis::report
