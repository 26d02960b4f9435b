#include "cli/record_commands.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <ostream>
#include <sstream>

#include "analysis/digitizer/ppsd.h"
#include "cli/capture_commands.h"
#include "cli/command.h"
#include "core/system_types.h"
#include "recording/mseed_reader.h"
#include "recording/recorder.h"
#include "recording/station_xml.h"
#include "shell/app.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: record --out DIR [--seconds S] [--network NN] [--station SSSSS] [--location LL] "
    "[--channel-codes C1,C2,...]";

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ',');) out.push_back(item);
    return out;
}

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
    std::string out, network, station, location, codes;
    bool have_location = false;
    double seconds = 0.0;
    for (std::size_t i = 1; i < a.size(); i += 2) {
        if (i + 1 >= a.size()) return usage_error(a[i] + " needs a value");
        const std::string& v = a[i + 1];
        if (a[i] == "--out") {
            out = v;
        } else if (a[i] == "--seconds") {
            char* end = nullptr;
            seconds = std::strtod(v.c_str(), &end);
            if (v.empty() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0 ||
                seconds > 1e8)
                return usage_error("--seconds takes a positive number of seconds");
        } else if (a[i] == "--network") {
            network = v;
        } else if (a[i] == "--station") {
            station = v;
        } else if (a[i] == "--location") {
            location = v;
            have_location = true;
        } else if (a[i] == "--channel-codes") {
            codes = v;
        } else {
            return unknown_option(a[i], {"--out", "--seconds", "--network", "--station",
                                         "--location", "--channel-codes"});
        }
    }
    if (out.empty()) return usage_error(kUsage);
    Result f;
    if (!ensure_connected(c, &f)) return f;
    App& app = c.app;
    if (!app.capture.armed) return failure("record is not enabled: configure the board first");
    apply_sim_tones(c);
    const int channels = core::channels_from_code(app.settings.setup.channels);
    recording::RecordRequest request;
    request.out = out;
    request.channels = channels;
    request.rate = app.capture.fs;
    request.seconds = seconds;
    request.names = recording::default_names(app.link.DeviceString, request.rate, channels);
    if (!network.empty()) request.names.network = network;
    if (!station.empty()) request.names.station = station;
    if (have_location) request.names.location = location;
    if (!codes.empty()) request.names.channels = split(codes);
    if (const std::string why = recording::check_names(request.names, channels); !why.empty())
        return usage_error("record: " + why);
    request.utc_start_us = std::chrono::duration_cast<std::chrono::microseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
    request.clock_start = app.port.timer();
    const double cpu0 = static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
    recording::RecordOutcome o;
    {
        StatusLine status(c);
        o = recording::record(app.port, request,
                              [&status](const recording::RecordProgress& p) { status.show(p); });
    }
    const double cpu = static_cast<double>(std::clock()) / CLOCKS_PER_SEC - cpu0;
    if (!o.status) return failure(o.status, "recording failed");
    const std::string xml =
        out + "/" + request.names.network + "." + request.names.station + ".xml";
    const double counts_per_volt = app.analysis.fs_code / (app.analysis.fs_volt / 2.0);
    if (core::Status s = recording::write_station_xml(xml, request.names, request.rate,
                                                      counts_per_volt, o.first_sample_us);
        !s)
        return failure(s, "cannot write " + xml);
    Result r;
    r.add("out", out, out);
    r.add("start", recording::format_utc(o.first_sample_us, true),
          recording::format_utc(o.first_sample_us, true));
    r.add("samples", o.frames, std::to_string(o.frames) + " per channel");
    char text[64];
    std::snprintf(text, sizeof text, "%.3f s", o.frames / request.rate);
    r.add("seconds", o.frames / request.rate, text);
    r.add("bytes", o.bytes, std::to_string(o.bytes));
    std::snprintf(text, sizeof text, "%.2f s", cpu);
    r.add("cpu_seconds", cpu, text);
    r.add("stopped", o.stopped, o.stopped ? "yes" : "no");
    nlohmann::ordered_json gaps = nlohmann::ordered_json::array();
    for (const recording::Gap& g : o.gaps) {
        gaps.push_back({{"from", recording::format_utc(g.from_us, true)},
                        {"to", recording::format_utc(g.to_us, true)}});
        r.lines.emplace_back("gap", recording::format_utc(g.from_us, true) + " to " +
                                        recording::format_utc(g.to_us, true));
    }
    r.data["gaps"] = gaps;
    r.data["files"] = o.files;
    for (const std::string& file : o.files) r.lines.emplace_back("file", file);
    r.add("stationxml", xml, xml);
    return r;
}

// The channel codes an archive holds, from its day files' names.
std::vector<std::string> archive_channels(const std::string& path, const std::string& listed) {
    if (!listed.empty()) return split(listed);
    recording::ReadStreams probe;
    recording::ReadRequest first_sample;
    first_sample.max_samples = 1;
    if (!recording::read_streams(path, first_sample, &probe)) return {};
    return probe.channels;
}

// evaluate ppsd ARCHIVE [--channels C1,C2] [--window S] [--segment N]
Result evaluate(Context& c, const std::vector<std::string>& a) {
    const char* kEvalUsage =
        "usage: evaluate ppsd ARCHIVE [--channels C1,C2] [--window SECONDS] [--segment N]";
    if (a.size() < 3 || a[1] != "ppsd") return usage_error(kEvalUsage);
    std::string listed;
    analysis::digitizer::PpsdSettings settings;
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
    settings.window_index = app.analysis.window_index;
    settings.volts_per_code =
        app.analysis.fs_code > 0 ? app.analysis.fs_volt / 2.0 / app.analysis.fs_code : 1.0;
    const std::vector<std::string> codes = archive_channels(a[2], listed);
    if (codes.empty()) return failure("no miniSEED channels in " + a[2]);
    Result r;
    r.add("archive", a[2], a[2]);
    nlohmann::ordered_json channels = nlohmann::ordered_json::array();
    for (const std::string& code : codes) {
        recording::ReadRequest request;
        request.channels = {code};
        recording::ReadStreams streams;
        if (const core::Status s = recording::read_streams(a[2], request, &streams); !s)
            return failure(s, "cannot read " + code + " from " + a[2]);
        settings.rate = streams.rate;
        const auto p = analysis::digitizer::probabilistic_psd(streams.samples.front(), settings);
        nlohmann::ordered_json j;
        j["code"] = code;
        j["windows"] = p.window_starts.size();
        j["frequencies"] = p.frequencies;
        j["p5"] = p.p5;
        j["p50"] = p.p50;
        j["p95"] = p.p95;
        nlohmann::ordered_json starts = nlohmann::ordered_json::array();
        for (std::int64_t s : p.window_starts)
            starts.push_back(recording::format_utc(
                streams.start_us + std::llround(s * 1e6 / streams.rate), true));
        j["spectrogram"] = {{"starts", starts}, {"density", p.spectrogram}};
        if (streams.cut_at_gap) j["gap_at"] = recording::format_utc(streams.gap_at_us, true);
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
