#include "cli/record_commands.h"

#include <cmath>
#include <cstdio>
#include <ostream>

#include "analysis/noise_over_time.h"
#include "analysis/state.h"
#include "cli/capture_commands.h"
#include "cli/command.h"
#include "core/system_types.h"
#include "recording/record_panel.h"
#include "recording/utc_time.h"
#include "shell/app.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: record --out DIR [--seconds S] [--network NN] [--station SSSSS] [--location LL] "
    "[--channel-codes C1,C2,...]";

// A terminal's status line while the recording runs, redrawn at most twice a second.
class StatusLine {
  public:
    explicit StatusLine(Context& c) : c_(c) {}
    ~StatusLine() {
        if (c_.progress_line && shown_ > -1e300) c_.err << "\r\033[K" << std::flush;
    }
    void show(const recording::RecordProgress& p) {
        if (!c_.progress_line) return;
        const double now = c_.app.clock.now();
        if (now - shown_ < 0.5) return;
        shown_ = now;
        char line[96];
        std::snprintf(line, sizeof line, "\rrecord: %.1f h of data, %.1f MB written (Ctrl-C stops)",
                      p.seconds / 3600.0, p.bytes / 1e6);
        c_.err << line << "\033[K" << std::flush;
    }

  private:
    Context& c_;
    double shown_ = -1e301;
};

Result record(Context& c, const std::vector<std::string>& a) {
    recording::RecordJob job;
    for (std::size_t i = 1; i < a.size(); i += 2) {
        if (i + 1 >= a.size()) return usage_error(a[i] + " needs a value");
        const std::string& v = a[i + 1];
        if (a[i] == "--out") {
            job.out = v;
        } else if (a[i] == "--seconds") {
            char* end = nullptr;
            job.seconds = std::strtod(v.c_str(), &end);
            if (v.empty() || *end != '\0' || !std::isfinite(job.seconds) || job.seconds <= 0 ||
                job.seconds > 1e8)
                return usage_error("--seconds takes a positive number of seconds");
        } else if (a[i] == "--network") {
            job.network = v;
        } else if (a[i] == "--station") {
            job.station = v;
        } else if (a[i] == "--location") {
            job.location = v;
        } else if (a[i] == "--channel-codes") {
            job.channel_codes = split_list(v);
        } else {
            return unknown_option(a[i], {"--out", "--seconds", "--network", "--station",
                                         "--location", "--channel-codes"});
        }
    }
    if (job.out.empty()) return usage_error(kUsage);
    Result f;
    if (!ensure_connected(c, &f)) return f;
    App& app = c.app;
    if (!app.capture.armed) return failure("record is not enabled: configure the board first");
    std::string why;
    recording::job_names(recording::job_board(app), job, &why);
    if (!why.empty()) return usage_error("record: " + why);
    apply_sim_tones(c);
    recording::RecordedJob done;
    {
        StatusLine status(c);
        done = recording::record_job(
            app.port, app.clock, recording::job_board(app), job,
            [&status](const recording::RecordProgress& p) { status.show(p); });
    }
    const recording::RecordOutcome& o = done.outcome;
    if (!o.status)
        return failure(o.status, done.station_xml.empty() ? "recording failed"
                                                          : "cannot write " + done.station_xml);
    Result r;
    r.add("out", job.out, job.out);
    r.add("start", recording::format_utc(o.first_sample_us, true),
          recording::format_utc(o.first_sample_us, true));
    r.add("samples", o.frames, std::to_string(o.frames) + " per channel");
    char text[64];
    std::snprintf(text, sizeof text, "%.3f s", o.frames / app.capture.fs);
    r.add("seconds", o.frames / app.capture.fs, text);
    r.add("bytes", o.bytes, std::to_string(o.bytes));
    std::snprintf(text, sizeof text, "%.2f s", done.cpu_seconds);
    r.add("cpu_seconds", done.cpu_seconds, text);
    r.add("stopped", o.stopped, o.stopped ? "yes" : "no");
    r.data["gaps"] = gap_list(o.gaps, &r);
    r.data["files"] = o.files;
    for (const std::string& file : o.files) r.lines.emplace_back("file", file);
    r.add("stationxml", done.station_xml, done.station_xml);
    return r;
}

// evaluate ppsd ARCHIVE [--channels C1,C2] [--window S] [--segment N]
Result evaluate(Context& c, const std::vector<std::string>& a) {
    const char* kEvalUsage =
        "usage: evaluate ppsd ARCHIVE [--channels C1,C2] [--window SECONDS] [--segment N]";
    if (a.size() < 3 || a[1] != "ppsd") return usage_error(kEvalUsage);
    std::string listed;
    analysis::digitizer::PpsdSettings settings = analysis::ppsd_settings(c.app.analysis);
    for (std::size_t i = 3; i < a.size(); i += 2) {
        if (i + 1 >= a.size()) return usage_error(a[i] + " needs a value");
        long long n = 0;
        if (a[i] == "--channels") {
            listed = a[i + 1];
        } else if (a[i] == "--window" && parse_number(a[i + 1], 60, 86400, &n)) {
            settings.window_seconds = static_cast<double>(n);
        } else if (a[i] == "--segment" && parse_number(a[i + 1], 256, 1 << 20, &n)) {
            settings.segment = static_cast<int>(n);
        } else if (a[i] == "--window" || a[i] == "--segment") {
            return usage_error(a[i] == "--window" ? "--window takes 60 to 86400 seconds"
                                                  : "--segment takes 256 to 1048576 samples");
        } else {
            return unknown_option(a[i], {"--channels", "--window", "--segment"});
        }
    }
    App& app = c.app;
    analysis::NoiseOverTime& got = app.analysis.noise_over_time;
    if (const core::Status s = analysis::noise_over_time(
            a[2], listed.empty() ? std::vector<std::string>{} : split_list(listed), settings, &got);
        !s)
        return failure(s, "cannot read " + a[2]);
    Result r;
    r.add("archive", a[2], a[2]);
    nlohmann::ordered_json channels = nlohmann::ordered_json::array();
    for (const analysis::ChannelPpsd& ch : got.channels) {
        const auto& p = ch.ppsd;
        const std::string& code = ch.code;
        nlohmann::ordered_json j;
        j["code"] = code;
        j["windows"] = p.window_starts.size();
        j["frequencies"] = p.frequencies;
        j["p5"] = p.p5;
        j["p50"] = p.p50;
        j["p95"] = p.p95;
        nlohmann::ordered_json starts = nlohmann::ordered_json::array();
        for (std::int64_t us : p.window_starts) starts.push_back(recording::format_utc(us, true));
        j["spectrogram"] = {{"starts", starts}, {"density", p.spectrogram}};
        j["gaps"] = gap_list(ch.gaps, nullptr);
        channels.push_back(j);
        r.lines.emplace_back(code + " windows", std::to_string(p.window_starts.size()));
        // One line per octave: the 5th, 50th and 95th percentiles of the noise density.
        for (std::size_t k = 0; k < p.frequencies.size(); k += 8) {
            char text[96];
            std::snprintf(text, sizeof text, "%10.2f %10.2f %10.2f nV/√Hz", p.p5[k], p.p50[k],
                          p.p95[k]);
            char label[48];
            std::snprintf(label, sizeof label, "%s %.4g Hz p5/p50/p95", code.c_str(),
                          p.frequencies[k]);
            r.lines.emplace_back(label, text);
        }
    }
    r.data["channels"] = channels;
    return r;
}

}  // namespace

nlohmann::ordered_json gap_list(const std::vector<recording::Gap>& gaps, Result* lines) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const recording::Gap& g : gaps) {
        const std::string from = recording::format_utc(g.from_us, true);
        const std::string to = recording::format_utc(g.to_us, true);
        list.push_back({{"from", from}, {"to", to}});
        if (lines) lines->lines.emplace_back("gap", from + " to " + to);
    }
    return list;
}

void add_record_commands() {
    commands()["evaluate"] = {
        "evaluate ppsd ARCHIVE [--channels C1,C2] [--window SECONDS] [--segment N]",
        "noise over time: the PSD of one-hour windows (half overlapped) of a recorded archive, "
        "and per frequency the 5th, 50th and 95th percentiles of the noise density",
        evaluate};
    commands()["record"] = {
        "record --out DIR [--seconds S] [--network NN] [--station SSSSS] [--location LL] "
        "[--channel-codes C1,C2,...]",
        "stream the configured channels into a miniSEED archive (SDS layout, Steim-2, 4096-byte "
        "records, one file per channel and day) with StationXML beside it; without --seconds "
        "until Ctrl-C",
        record};
}

}  // namespace cli
