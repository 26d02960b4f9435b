#include "cli/report_commands.h"

#include "analysis/exports.h"
#include "analysis/readouts.h"
#include "analysis/report/report.h"
#include "analysis/report/report_model.h"
#include "analysis/state.h"
#include "cli/command.h"
#include "cli/history_commands.h"
#include "shell/app.h"

namespace cli {

namespace {

Result spectrum(Context& c, const std::vector<std::string>& a) {
    const bool psd = a.size() == 4 && a[3] == "--psd";
    if ((a.size() != 3 && !psd) || a[1] != "export")
        return usage_error("usage: spectrum export FILE.csv [--psd]");
    const core::Status s =
        psd ? analysis::export_psd_csv(c.app, a[2]) : analysis::export_spectrum_csv(c.app, a[2]);
    if (!s) return failure(s, "cannot export " + a[2]);
    Result r;
    r.add("file", a[2], a[2]);
    if (psd) {
        const auto& d = analysis::digitizer_view(c.app, analysis::kSelfNoise);
        r.add("segments", d.segments, std::to_string(d.segments));
        return r;
    }
    r.add("bins", c.app.analysis.ch_count[0] / 2 + 1,
          std::to_string(c.app.analysis.ch_count[0] / 2 + 1));
    return r;
}

Result report(Context& c, const std::vector<std::string>& a) {
    if (a.size() != 2) return usage_error("usage: report FILE.html");
    const analysis::ReportOutcome o = analysis::save_report(c.app, a[1]);
    if (!o.status) return failure(o.status, "cannot write the report " + a[1]);
    c.failed_verdicts += o.failed;
    Result r;
    r.add("file", a[1], a[1]);
    r.add("channels", c.app.capture.NumberOfChannels,
          std::to_string(c.app.capture.NumberOfChannels));
    if (c.app.analysis.limits.loaded()) {
        r.add("verdicts", o.verdicts, std::to_string(o.verdicts));
        r.add("failed", o.failed, std::to_string(o.failed));
    }
    const std::vector<int> tests(analysis::report::kReportTests.begin(),
                                 analysis::report::kReportTests.end());
    keep_run(c, tests, c.app.capture.NumberOfChannels, "report", &r);
    return r;
}

}  // namespace

void add_report_commands() {
    auto& m = commands();
    m["spectrum"] = {"spectrum export FILE.csv [--psd]",
                     "write the averaged spectra as CSV: frequency, then dBFS per channel; with "
                     "--psd the Welch noise and self-noise densities in V²/Hz (analyze options)",
                     spectrum};
    m["report"] = {"report FILE.html",
                   "run the time, histogram, signal and noise tests on every channel and write "
                   "one self-contained HTML report (with verdicts under --limits)",
                   report};
}

}  // namespace cli
